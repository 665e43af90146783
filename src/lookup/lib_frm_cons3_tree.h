#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>

class QComboBox;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace lookup {

// The tree lookup: the rows of a lookup statement hung under one root node by their codes,
// either the article families (the server names each family's parent) or any other statement
// (a node's parent is the longest code already in the tree that begins its code). The user
// picks one node, or checks several; accept and cancel only hide the dialog, and the lookup
// service reads the results and discards it.
class Lib_FrmCons3Tree : public QDialog
{
    Q_OBJECT

public:
    explicit Lib_FrmCons3Tree(QWidget *parent = nullptr);
    ~Lib_FrmCons3Tree() override;

    // ---- Set by the lookup service before the dialog is shown --------------------------------

    // The lookup statement: first column the code, second the description. Receives the text
    // the data layer sent, the fixed family statement, and each narrowed search.
    QString SQL;
    // The field whose value accept returns: "IDFAMILIA", "IDPOSICION" or "CODIGO" (any case).
    QString CampoDevuelto;
    // True: every node has a check box and accept returns the checked codes in Valores.
    bool CheckBoxes = false;

    // ---- Read by the lookup service after the dialog has hidden itself -----------------------

    // The chosen value of a single choice; the empty text when it is not found or on cancel.
    QVariant ValorDevuelto;
    // The checked values; a new empty list at every load, nullptr ("nothing") after cancel.
    std::shared_ptr<QStringList> Valores;

    // Builds the tree of article families from the fixed family statement.
    void ArmarTreeVFamilias();

    // Runs the load: a fresh Valores, the check-box setting, and the tree built from SQL.
    // The modal show calls it; the lookup service may call it to load before showing.
    void Form_Load();

    // ---- The window's controls, for the lookup service and for tests -------------------------

    QTreeWidget *TreeV = nullptr;
    QComboBox *CmbSearch = nullptr;
    QPushButton *cmdAceptar = nullptr;
    QPushButton *cmdCancelar = nullptr;
    QPushButton *CmdNueva = nullptr;

    // The node with the given key ("A" for the root, "A" and the code for a row), or nullptr.
    QTreeWidgetItem *nodeByKey(const QString &key) const;
    // A node's key.
    static QString keyOf(const QTreeWidgetItem *node);

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void ArmarTreeVAutomatico();
    void cmdAceptar_Click();
    void cmdCancelar_Click();
    void CmdNueva_Click();
    void CmbSearch_Change();
    void searchOnServer();
    void TreeV_NodeCheck(QTreeWidgetItem *node);

    void buildLayout();

    // The statement without its ordering part, which each search on the server narrows.
    QString SQLBase;
    // The ordering part cut off by a search on the server, appended again behind it.
    QString SQLCola;
    bool m_loaded = false;
    bool m_propagatingChecks = false;
};

} // namespace lookup
