#include "platform/desktop_integration.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <memory>

namespace platform {

QTranslator *installSpanishQtTranslations()
{
    auto translator = std::make_unique<QTranslator>(QCoreApplication::instance());
    if (!translator->load(QStringLiteral("qtbase_es"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))
        || !QCoreApplication::installTranslator(translator.get()))
        return nullptr;
    return translator.release();
}

QIcon applicationIcon()
{
    return QIcon(QStringLiteral(":/icons/rp_panelcta.svg"));
}

} // namespace platform
