#pragma once

#include "platform/suite/progreso.h"
#include "recorded_saves.h"
#include "statistics/statistic_run.h"

#include <QTest>
#include <QThread>
#include <memory>

// Presses Escape on the progress window once the first work rows are written, then waits until
// the progress window is asked again, so the computation sees the cancel at its next check.
inline void pressEscapeAfterTheFirstWorkRows(RecordedSaves &recorded)
{
    auto pressed = std::make_shared<bool>(false);
    recorded.afterStatement([pressed](const QString &statement) {
        if (*pressed || !statement.contains(QStringLiteral("INSERT INTO AUX_PANELCTA")))
            return;
        *pressed = true;
        QTest::keyClick(&platform::gProgreso().window(), Qt::Key_Escape);
        QThread::msleep(statistics::RunGuard::refreshInterval.count() + 10);
    });
}
