#pragma once
// The expression browser: every library of the library folder as one tree
// (libraries, categories, expressions), the details of the selected library
// or expression, editing (new, rename, modify, delete, copy, cut, paste,
// drag and drop), saving, and Use, which sends the selected expression with
// its variables to the calculator's input.
//
// Changes stay in memory until they are saved: from the menu, by Yes to the
// question when the window closes, or by Yes to the same question when the
// program ends (IUnsavedChangesOwner). A reload drops them after asking.
#include "shell/uTandorelForm.h"
#include "shell/uTranslationTable.h"
#include "tools/model/uKniznica.h"

#include <QDomElement>
#include <QPersistentModelIndex>
#include <QTreeWidget>

#include <functional>
#include <memory>

class KExpressionViewer;
class TStringList;
class KNodeClipboard;
class TPrehliadacVyrazovDta;
class QToolBar;
namespace Ui {
class TPrehliadacVyrazovFrm;
}

// The data of one tree node: its element and the library that holds it.
struct TXMLNodeReference
{
    QDomElement Node;
    TKniznicaVyrazov *Library = nullptr;
};

class TXMLNodeItem : public QTreeWidgetItem
{
public:
    explicit TXMLNodeItem(const TXMLNodeReference &reference) : Ref(reference) {}
    TXMLNodeReference Ref;
};

// The browser's tree: moves one node by drag and drop inside itself. The
// node that moves is the one the drag started on (not whatever is selected);
// the window decides which drops are allowed and carries them out.
class TLibraryTreeView : public QTreeWidget
{
public:
    explicit TLibraryTreeView(QWidget *parent = nullptr);

    // Whether Dragged may be dropped onto Target (Shift: before it).
    std::function<bool(TXMLNodeItem *dragged, TXMLNodeItem *target, bool shift)> CanDropOn;
    std::function<void(TXMLNodeItem *dragged, TXMLNodeItem *target, bool shift)> DropOn;

    // The node being dragged, set for the time of a drag.
    void BeginDrag(TXMLNodeItem *item);
    void EndDrag();
    TXMLNodeItem *DraggedItem() const;

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    bool Accepts(QDropEvent *event) const;
    TXMLNodeItem *ItemAt(const QPoint &pos) const;

    QPersistentModelIndex m_pressed;
    QPersistentModelIndex m_dragged;
};

class TPrehliadacVyrazovFrm : public KTandorelForm, public IUnsavedChangesOwner
{
public:
    explicit TPrehliadacVyrazovFrm(QWidget *parent = nullptr);
    ~TPrehliadacVyrazovFrm() override;

    // Texts, then the dialogs' and the menu's texts, then a reload of the
    // libraries unless some of them hold unsaved changes.
    void TranslateTexts() override;
    // Asks (Yes/No/Cancel) when libraries are modified; Yes saves them.
    // False when the program should keep running (Cancel, or a failed save).
    // Without CanAsk they are saved, failures unreported, and true returned.
    bool OfferUnsavedChanges(bool canAsk) override;

    // --------------------------------------------------------- the actions
    // Loads every library of the folder and rebuilds the tree; files that
    // cannot be loaded, or an empty folder, are reported.
    void Reload();
    // Reload after asking when there are unsaved changes.
    void AskReload();
    // Saves every modified library; a library that fails stays modified and
    // is reported (unless Report is false). True when all were saved.
    bool SaveLibraries(bool report = true);
    void OpenLibraryDirectory();
    void NewLibrary();
    void NewCategory();
    void NewExpression();
    void Rename();
    void Modify();
    // Asks, then marks a library deleted (its file goes at the next save)
    // or removes any other node.
    void DeleteSelected();
    void CopyNode();
    void CutNode();
    // A copy of the clipboard's node before the selected node; nothing is
    // pasted onto a library, and a library is never pasted (both beep,
    // unless a library is pasted onto a library).
    void PasteNode();
    // The selected expression into the calculator's input, its variables
    // registered and the variables window shown.
    void UseSelected();
    // The drop rules of the tree and the move itself.
    bool CanDropOn(TXMLNodeItem *dragged, TXMLNodeItem *target, bool shift) const;
    void DropOnItem(TXMLNodeItem *dragged, TXMLNodeItem *target, bool shift);

    // Actions and menu items enabled for the selection.
    void EnableActions();
    void ShowSelection();

    // UserDataDir + LibraryPath.
    QString LibraryFolder() const;

    TLibraryTreeView *Tree() const;
    KExpressionViewer *GetViewer() const { return Viewer.get(); }
    // The item that shows Node, nullptr when none.
    TXMLNodeItem *FindItem(const QDomElement &node) const;

    QDomElement SelectedNode;
    TKniznicaVyrazov *SelectedLibrary = nullptr;
    QString LibraryPath;

    // Message texts.
    QString SaveChangesCaption;
    QString SaveChanges;
    QString ReallyDeleteCaption;
    QString ReallyDelete;
    QString NewCategoryText;
    QString LoadErrorCaption;
    QString LoadError;
    QString NoLibraries;
    QString ReallyReloadCaption;
    QString ReallyReload;
    QString SaveErrorCaption;
    QString SaveError;

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void stromVyrazovTrvChange(QTreeWidgetItem *current);
    void stromVyrazovTrvEdited(QTreeWidgetItem *item);
    void stromVyrazovPmnPopup(const QPoint &pos);
    // The question of closing and of the program's end.
    int AskSaveChanges();
    // Text with "#1" replaced by the list of modified libraries.
    QString WithModifiedList(const QString &text) const;

    void BuildTree();
    TXMLNodeItem *MakeItem(const QDomElement &node, TKniznicaVyrazov *library) const;
    // The item of Node with every shown element below it.
    TXMLNodeItem *BuildSubtree(const QDomElement &node, TKniznicaVyrazov *library) const;
    // The tree shows Node, just added to the element of Parent, in its place
    // and selected.
    void ShowNewChild(QTreeWidgetItem *parent, const QDomElement &node);
    // Puts Item among Parent's children where the tree's order has it.
    void InsertSorted(QTreeWidgetItem *parent, QTreeWidgetItem *item);
    TXMLNodeItem *SelectedItem() const;
    void Select(QTreeWidgetItem *item);
    QString LibraryCaption(const TKniznicaVyrazov *library) const;
    void ClearDetails();
    // The selected expression, its description as lines.
    void ReadSelectedExpression(QString &name, QString &notation, QStringList &description,
                                TStringList &variables) const;

    Ui::TPrehliadacVyrazovFrm *ui;
    TTranslationTable m_texts;
    std::unique_ptr<KExpressionViewer> Viewer;
    std::unique_ptr<KNodeClipboard> Clipboard;
    TPrehliadacVyrazovDta *m_dta;
    QToolBar *ToolBar1;
    QTreeWidgetItem *m_renamingItem = nullptr;
};
