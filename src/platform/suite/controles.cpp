#include "platform/suite/controles.h"

#include "platform/db/recordset.h"
#include "platform/suite/utilidades.h"
#include "platform/text.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace platform {

namespace {

void setControlText(QWidget *control, const QString &text)
{
    if (auto *line = qobject_cast<QLineEdit *>(control))
        line->setText(text);
    else if (auto *plain = qobject_cast<QPlainTextEdit *>(control))
        plain->setPlainText(text);
    else if (auto *rich = qobject_cast<QTextEdit *>(control))
        rich->setPlainText(text);
    else if (auto *combo = qobject_cast<QComboBox *>(control); combo && combo->isEditable())
        combo->setEditText(text);
    else if (auto *label = qobject_cast<QLabel *>(control))
        label->setText(text);
}

void sendKey(QWidget *target, Qt::Key key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &press);
}

} // namespace

QString Controles::dataFieldOf(const QObject *control)
{
    return control ? control->property(DataFieldProperty).toString() : QString();
}

int Controles::IndiceCampo(const QString &name, const QList<QWidget *> &controls) const
{
    for (qsizetype i = 0; i < controls.size(); ++i)
        if (equalsIgnoringCase(Controles::dataFieldOf(controls[i]), name))
            return int(i);
    return -1;
}

std::optional<QString> Controles::textForDataField(db::Recordset &recordset,
                                                   const QString &dataField)
{
    if (dataField.isEmpty())
        return std::nullopt;
    db::Fields fields = recordset.fields();
    const int index = fields.indexOf(dataField);
    if (index < 0)
        return std::nullopt;
    return gUtil().ValorTexto(fields.item(index));
}

void Controles::LlenarControles(const QList<QWidget *> &controls, db::Recordset &recordset) const
{
    for (QWidget *control : controls) {
        if (const std::optional<QString> text
            = textForDataField(recordset, Controles::dataFieldOf(control)))
            setControlText(control, *text);
    }
}

void Controles::LimpiarFormulario(QWidget &window, int) const
{
    for (QWidget *control : window.findChildren<QWidget *>())
        if (!Controles::dataFieldOf(control).isEmpty())
            setControlText(control, {});
}

void Controles::FiltrarTecla(QWidget *, int &) const { }

void Controles::ProcesarTecla(int keyCode) const
{
    QWidget *focused = QApplication::focusWidget();
    if (!focused)
        return;
    // The same as pressing Tab (or Shift+Tab), so the window's own tab order decides.
    if (keyCode == keys::Enter || keyCode == keys::Down)
        sendKey(focused, Qt::Key_Tab);
    else if (keyCode == keys::Up)
        sendKey(focused, Qt::Key_Backtab);
}

bool Controles::TeclaConfirma(int keyCode) const
{
    switch (keyCode) {
    case keys::Enter:
    case keys::Escape:
    case keys::Up:
    case keys::Down:
    case keys::Tab:
        return true;
    default:
        return false;
    }
}

void Controles::EntrarCampo(QWidget *field, const QString &) const
{
    if (auto *line = qobject_cast<QLineEdit *>(field))
        line->selectAll();
    else if (auto *plain = qobject_cast<QPlainTextEdit *>(field))
        plain->selectAll();
    else if (auto *rich = qobject_cast<QTextEdit *>(field))
        rich->selectAll();
}

Controles &gControles()
{
    static Controles instance;
    return instance;
}

} // namespace platform
