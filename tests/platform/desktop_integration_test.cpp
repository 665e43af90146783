#include "platform/desktop_integration.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTranslator>
#include <gtest/gtest.h>

namespace {

// The program installs the translations the same way at start-up.
class SpanishQtTexts : public ::testing::Test
{
protected:
    void SetUp() override { m_translator = platform::installSpanishQtTranslations(); }
    void TearDown() override
    {
        if (m_translator)
            QCoreApplication::removeTranslator(m_translator);
        delete m_translator;
    }

    QTranslator *m_translator = nullptr;
};

TEST_F(SpanishQtTexts, StandardButtonsOfAMessageBoxReadInSpanish)
{
    ASSERT_NE(m_translator, nullptr) << "qtbase_es is not installed";
    const std::pair<QMessageBox::StandardButton, const char *> cases[] = {
        {QMessageBox::Yes, "&Sí"},           {QMessageBox::No, "&No"},
        {QMessageBox::Retry, "Reintentar"},  {QMessageBox::Ignore, "Ignorar"},
        {QMessageBox::Abort, "Interrumpir"}, {QMessageBox::Ok, "Aceptar"},
        {QMessageBox::Cancel, "Cancelar"},
    };
    QMessageBox box;
    for (const auto &[button, text] : cases)
        EXPECT_EQ(box.addButton(button)->text().toStdString(), text);
}

TEST(ApplicationIcon, IsBuiltIntoTheProgram)
{
    const QIcon icon = platform::applicationIcon();
    ASSERT_FALSE(icon.isNull());
    EXPECT_FALSE(icon.pixmap(32, 32).isNull());
}

} // namespace
