#pragma once

#include "platform/error.h"
#include "platform/regional_settings.h"
#include "platform/runtime.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace core_testing {

// English (United States): MM/dd/yyyy, "." decimal, "," thousands.
inline platform::RegionalSettings englishSettings()
{
    platform::RegionalSettings settings;
    settings.shortDateFormat = QStringLiteral("MM/dd/yyyy");
    settings.dateOrder = platform::DateOrder::MonthDayYear;
    settings.dateSeparator = QLatin1Char('/');
    settings.decimalSeparator = QLatin1Char('.');
    settings.thousandsSeparator = QLatin1Char(',');
    settings.currencyDecimals = 2;
    return settings;
}

// Uses the settings for one scope and puts Spanish (Argentina) back.
class ScopedRegionalSettings
{
public:
    explicit ScopedRegionalSettings(const platform::RegionalSettings &settings)
    {
        platform::setRegionalSettings(settings);
    }
    ~ScopedRegionalSettings()
    {
        platform::setRegionalSettings(platform::RegionalSettings::spanishArgentina());
    }
    ScopedRegionalSettings(const ScopedRegionalSettings &) = delete;
    ScopedRegionalSettings &operator=(const ScopedRegionalSettings &) = delete;
};

// Records the programs and documents the program starts instead of starting them; start
// answers with startSucceeds, or raises the error when one is set.
class RecordingLauncher final : public platform::Launcher
{
public:
    RecordingLauncher() { platform::setLauncher(this); }
    ~RecordingLauncher() override { platform::setLauncher(nullptr); }
    RecordingLauncher(const RecordingLauncher &) = delete;
    RecordingLauncher &operator=(const RecordingLauncher &) = delete;

    struct Start
    {
        QString program;
        QStringList arguments;
        bool wait = false;
    };

    bool start(const QString &program, const QStringList &arguments, bool wait) override
    {
        started.push_back({program, arguments, wait});
        if (startError)
            throw *startError;
        return startSucceeds;
    }
    bool openDocument(const QString &path) override
    {
        opened << path;
        return true;
    }

    bool startSucceeds = true;
    std::optional<platform::Error> startError;
    std::vector<Start> started;
    QStringList opened;
};

} // namespace core_testing
