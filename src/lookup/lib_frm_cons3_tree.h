#pragma once

#include "lookup/lib_frm_cons3_collection.h"

#include <QDialog>
#include <QString>
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

    // ---- Set by the lookup service before the dialog is loaded --------------------------------

    // The lookup statement: first column the code, second the description. Receives the text
    // the data layer sent, the fixed family statement, and each narrowed search.
    QString SQL;
    // The field whose value accept returns: "IDFAMILIA", "IDPOSICION" or "CODIGO" (any case).
    QString CampoDevuelto;
    // True: every node has a check box and accept returns the checked values in Valores.
    bool CheckBoxes = false;

    // ---- Read by the lookup service after the dialog has hidden itself -----------------------

    // The chosen value of a single choice; the empty text when it is not found or on cancel.
    QVariant ValorDevuelto;
    // The checked values; a new empty collection at every load, nothing after cancel.
    StringCollection Valores;

    // Builds the tree of article families from the fixed family statement.
    void ArmarTreeVFamilias();

    // Runs the load sequence once; later calls do nothing until the dialog is unloaded. Showing
    // the dialog loads it.
    void load();
    bool isLoaded() const { return m_loaded; }
    // Loads the dialog when needed and shows it modally through the user-dialogs seam; returns
    // when accept or cancel has hidden it.
    int showModal();
    // Removes every node.
    void unload();

    // ---- Controls ------------------------------------------------------------------------------

    QTreeWidget &TreeV() const;
    QComboBox &CmbSearch() const;
    QPushButton &cmdAceptar() const;
    QPushButton &cmdCancelar() const;
    QPushButton &CmdNueva() const;

    // The node with the given key ("A" for the root, "A" and the code for a row), or nullptr.
    QTreeWidgetItem *nodeByKey(const QString &key) const;

public Q_SLOTS:
    // Escape, the window's close button and "Cancelar" all cancel.
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    class Impl;
    std::unique_ptr<Impl> d;
    bool m_loaded = false;
};

} // namespace lookup
