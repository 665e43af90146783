#pragma once

#include <QDialog>
#include <QString>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace statistics {

// Asks for the name and sign of a new group of the definition grid. The caller shows it
// modally and reads pGrupo and pSigno once it has closed: both are empty when it was cancelled.
class FrmEstCtaGpo : public QDialog
{
    Q_OBJECT

public:
    explicit FrmEstCtaGpo(QWidget *parent = nullptr);

    QString pGrupo;
    QString pSigno; // "", "+" or "-"

    QLabel *lblGrupo;
    QLineEdit *txtGrupo;
    QLabel *lblSigno;
    QComboBox *cboSigno;
    QPushButton *cmdAceptar;
    QPushButton *cmdCancelar;

    // Cancelling, Escape and the close box all end here.
    void reject() override;

private:
    void cmdAceptar_Click();
};

} // namespace statistics
