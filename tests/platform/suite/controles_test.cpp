#include "platform/suite/controles.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>
#include <gtest/gtest.h>

using namespace platform;

namespace {

// A window with the three bound header boxes of a definition and two unbound controls.
struct HeaderWindow
{
    QWidget window;
    QList<QLineEdit *> txtfields;
    QLineEdit *unbound = new QLineEdit(QStringLiteral("sin campo"), &window);
    QPlainTextEdit *notes = new QPlainTextEdit(QStringLiteral("notas"), &window);

    HeaderWindow()
    {
        auto *layout = new QVBoxLayout(&window);
        for (const char *field : {"NOMBRE", "FechaD", "FechaH"}) {
            auto *box = new QLineEdit(QStringLiteral("texto"), &window);
            box->setProperty(Controles::DataFieldProperty, QString::fromUtf8(field));
            txtfields << box;
            layout->addWidget(box);
        }
        notes->setProperty(Controles::DataFieldProperty, QStringLiteral("Notas"));
        layout->addWidget(unbound);
        layout->addWidget(notes);
    }
};

} // namespace

TEST(Controles, IndiceCampoFindsTheDataFieldIgnoringCase)
{
    HeaderWindow w;
    const struct
    {
        const char *name;
        int index;
    } cases[]
        = {{"NOMBRE", 0}, {"Nombre", 0}, {"fechad", 1}, {"FECHAH", 2}, {"Cuenta", -1}, {"", -1}};
    for (const auto &c : cases)
        EXPECT_EQ(gControles().IndiceCampo(QString::fromUtf8(c.name), w.txtfields), c.index)
            << c.name;
}

TEST(Controles, LimpiarFormularioEmptiesOnlyDataControls)
{
    HeaderWindow w;
    gControles().LimpiarFormulario(w.window, 1);
    for (QLineEdit *box : w.txtfields)
        EXPECT_EQ(box->text(), QString());
    EXPECT_EQ(w.notes->toPlainText(), QString());
    EXPECT_EQ(w.unbound->text(), QStringLiteral("sin campo"));
}

TEST(Controles, TeclaConfirmaAcceptsTheKeysThatEndAnEdit)
{
    const struct
    {
        int key;
        bool ends;
    } cases[] = {{keys::Enter, true}, {keys::Escape, true}, {keys::Up, true}, {keys::Down, true},
                 {keys::Tab, true},   {'A', false},         {8, false},       {37, false}};
    for (const auto &c : cases)
        EXPECT_EQ(gControles().TeclaConfirma(c.key), c.ends) << c.key;
}

TEST(Controles, ProcesarTeclaMovesTheFocusInTabOrder)
{
    HeaderWindow w;
    w.window.show();
    QApplication::setActiveWindow(&w.window);
    w.txtfields[1]->setFocus();
    QApplication::processEvents();
    ASSERT_EQ(QApplication::focusWidget(), w.txtfields[1]);

    const struct
    {
        int key;
        QWidget *next;
    } steps[] = {{keys::Enter, w.txtfields[2]},
                 {keys::Up, w.txtfields[1]},
                 {keys::Down, w.txtfields[2]},
                 {'A', w.txtfields[2]}};
    for (const auto &step : steps) {
        gControles().ProcesarTecla(step.key);
        EXPECT_EQ(QApplication::focusWidget(), step.next) << step.key;
    }
}

TEST(Controles, EntrarCampoSelectsTheText)
{
    HeaderWindow w;
    gControles().EntrarCampo(w.txtfields[0], QString());
    EXPECT_EQ(w.txtfields[0]->selectedText(), QStringLiteral("texto"));
}
