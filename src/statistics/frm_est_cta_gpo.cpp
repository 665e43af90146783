#include "statistics/frm_est_cta_gpo.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace statistics {

namespace {

// The sign each item of the sign list stands for, in the list's order.
const QString signs[] = {QString(), QStringLiteral("+"), QStringLiteral("-")};

constexpr int GroupColumnLength = 100; // MA_PANELCTA.Grupo and AUX_PANELCTA.Grupo

} // namespace

FrmEstCtaGpo::FrmEstCtaGpo(QWidget *parent)
    : QDialog(parent), lblGrupo(new QLabel(QStringLiteral("Ingrese el Nombre del Grupo:"), this)),
      txtGrupo(new QLineEdit(this)),
      lblSigno(new QLabel(QStringLiteral("Ingrese el Signo del Grupo:"), this)),
      cboSigno(new QComboBox(this)), cmdAceptar(new QPushButton(QStringLiteral("Aceptar"), this)),
      cmdCancelar(new QPushButton(QStringLiteral("Cancelar"), this))
{
    setObjectName(QStringLiteral("FrmEstCtaGpo"));
    setWindowTitle(QStringLiteral("Generar Grupo"));
    txtGrupo->setObjectName(QStringLiteral("txtGrupo"));
    cboSigno->setObjectName(QStringLiteral("cboSigno"));
    cmdAceptar->setObjectName(QStringLiteral("cmdAceptar"));
    cmdCancelar->setObjectName(QStringLiteral("cmdCancelar"));

    cboSigno->addItems({QString(), QStringLiteral("Positivo"), QStringLiteral("Negativo")});
    cboSigno->setCurrentIndex(0);
    cmdAceptar->setDefault(true);
    // The label is stored in a column of 100 characters with its sign suffix " (+)", so the
    // name may take what is left whichever sign is chosen.
    txtGrupo->setMaxLength(GroupColumnLength - int(QStringLiteral(" (+)").size()));
    txtGrupo->setMinimumWidth(txtGrupo->fontMetrics().horizontalAdvance(QString(30, u'X')));

    auto *fields = new QGridLayout;
    fields->addWidget(lblGrupo, 0, 0);
    fields->addWidget(txtGrupo, 0, 1);
    fields->addWidget(lblSigno, 1, 0);
    fields->addWidget(cboSigno, 1, 1, Qt::AlignLeft);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdAceptar);
    buttons->addWidget(cmdCancelar);
    auto *layout = new QGridLayout(this);
    layout->addLayout(fields, 0, 0);
    layout->addLayout(buttons, 1, 0);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(cmdAceptar, &QPushButton::clicked, this, &FrmEstCtaGpo::cmdAceptar_Click);
    connect(cmdCancelar, &QPushButton::clicked, this, &FrmEstCtaGpo::reject);
}

void FrmEstCtaGpo::reject()
{
    pGrupo.clear();
    pSigno.clear();
    QDialog::reject();
}

void FrmEstCtaGpo::cmdAceptar_Click()
{
    pGrupo = txtGrupo->text().trimmed();
    if (const int item = cboSigno->currentIndex(); item >= 0 && item < int(std::size(signs)))
        pSigno = signs[item];
    accept();
}

} // namespace statistics
