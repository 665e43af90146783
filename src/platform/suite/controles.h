#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QWidget>
#include <optional>

namespace platform::db {
class Recordset;
}

namespace platform {

// Key codes as the program's key handlers receive them (Windows virtual-key codes).
namespace keys {
inline constexpr int Tab = 9;
inline constexpr int Enter = 13;
inline constexpr int Escape = 27;
inline constexpr int Up = 38;
inline constexpr int Down = 40;
} // namespace keys

// Works on the program's data controls: Qt widgets carrying the dynamic properties "DataField"
// (the column a control shows) and "Tag" (free text of the form).
class Controles
{
public:
    static constexpr const char *DataFieldProperty = "DataField";
    static constexpr const char *TagProperty = "Tag";

    // The column a control shows; empty for none.
    static QString dataFieldOf(const QObject *control);

    // The position in the array of the control whose DataField equals the name, case ignored;
    // -1 when none has it.
    template<typename Control>
    int IndiceCampo(const QString &name, const QList<Control *> &controls) const
    {
        return IndiceCampo(name, asWidgets(controls));
    }
    int IndiceCampo(const QString &name, const QList<QWidget *> &controls) const;

    // The current row's value of the column a DataField names, as text (Utilidades::ValorTexto);
    // nullopt for an empty DataField or one naming no column of the recordset.
    static std::optional<QString> textForDataField(db::Recordset &recordset,
                                                   const QString &dataField);

    // Shows the current row in the controls: each control whose DataField names a column of the
    // recordset gets that column's value as text (textForDataField). Controls without a
    // DataField, or naming no column, keep what they show.
    template<typename Control>
    void LlenarControles(const QList<Control *> &controls, db::Recordset &recordset) const
    {
        LlenarControles(asWidgets(controls), recordset);
    }
    void LlenarControles(const QList<QWidget *> &controls, db::Recordset &recordset) const;

    // Empties the text of every data control (one with a DataField) of the window.
    void LimpiarFormulario(QWidget &window, int mode) const;

    // May change or cancel (set to 0) a typed character; the program's controls take every
    // character as typed.
    void FiltrarTecla(QWidget *control, int &keyAscii) const;

    // Moves the focus as the key asks: Enter and Down to the next control, Up to the previous.
    void ProcesarTecla(int keyCode) const;

    // True when the key ends a cell edit: Enter, Escape, Up, Down and Tab.
    bool TeclaConfirma(int keyCode) const;

    // A field receives the focus: its text is selected so typing replaces it.
    void EntrarCampo(QWidget *field, const QString &help) const;

private:
    template<typename Control>
    static QList<QWidget *> asWidgets(const QList<Control *> &controls)
    {
        return QList<QWidget *>(controls.cbegin(), controls.cend());
    }
};

// The program-wide instance, created on first use.
Controles &gControles();

} // namespace platform
