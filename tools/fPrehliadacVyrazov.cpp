#include "tools/fPrehliadacVyrazov.h"
#include "ui_fPrehliadacVyrazov.h"

#include "core/uCommon.h"
#include "platform/Classes.h"
#include "shell/uAccessibility.h"
#include "shell/uDisk.h"
#include "shell/uGUIManager.h"
#include "shell/uMainProgram.h"
#include "shell/uShellCommon.h"
#include "tools/dPrehliadacVyrazov.h"
#include "tools/fUpravyKniznice.h"
#include "tools/fUpravyVyrazu.h"
#include "tools/model/uPrehliadacVyrazov.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDrag>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>
#include <vector>

namespace {

// Only this program's own drags carry it.
const QString NodeMimeType = QStringLiteral("application/x-tandorel-library-node");

TXMLNodeItem *AsNodeItem(QTreeWidgetItem *Item)
{
    return dynamic_cast<TXMLNodeItem *>(Item);
}

} // namespace

// ============================================================ the tree view

TLibraryTreeView::TLibraryTreeView(QWidget *parent) : QTreeWidget(parent)
{
    setDragEnabled(true);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDropIndicatorShown(false);
    setAutoExpandDelay(700);
    // Long names scroll instead of being cut off.
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
}

void TLibraryTreeView::BeginDrag(TXMLNodeItem *Item)
{
    Dragged = Item ? QPersistentModelIndex(indexFromItem(Item)) : QPersistentModelIndex();
}

void TLibraryTreeView::EndDrag()
{
    Dragged = QPersistentModelIndex();
}

TXMLNodeItem *TLibraryTreeView::DraggedItem() const
{
    return Dragged.isValid() ? AsNodeItem(itemFromIndex(Dragged)) : nullptr;
}

TXMLNodeItem *TLibraryTreeView::ItemAt(const QPoint &Pos) const
{
    return AsNodeItem(itemAt(Pos));
}

void TLibraryTreeView::mousePressEvent(QMouseEvent *event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    Pressed = index;
    QTreeWidget::mousePressEvent(event);
}

void TLibraryTreeView::startDrag(Qt::DropActions)
{
    TXMLNodeItem *item = Pressed.isValid() ? AsNodeItem(itemFromIndex(Pressed)) : nullptr;
    if (!item)
        return;
    // The move is carried out by the drop itself; the view must not remove
    // anything afterwards, so the drag is run here and not by the base class.
    auto *drag = new QDrag(this);
    auto *mime = new QMimeData();
    mime->setData(NodeMimeType, QByteArray());
    drag->setMimeData(mime);
    drag->setPixmap(item->icon(0).pixmap(16, 16));
    BeginDrag(item);
    drag->exec(Qt::MoveAction);
    EndDrag();
}

bool TLibraryTreeView::Accepts(QDropEvent *event) const
{
    if (!event->mimeData() || !event->mimeData()->hasFormat(NodeMimeType))
        return false;
    if (event->source() && event->source() != this)
        return false;
    TXMLNodeItem *dragged = DraggedItem();
    TXMLNodeItem *target = ItemAt(event->position().toPoint());
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    return dragged && target && CanDropOn && CanDropOn(dragged, target, shift);
}

void TLibraryTreeView::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData() && event->mimeData()->hasFormat(NodeMimeType) && DraggedItem())
        event->acceptProposedAction();
    else
        event->ignore();
}

void TLibraryTreeView::dragMoveEvent(QDragMoveEvent *event)
{
    // The base class scrolls and opens folded nodes; whether a drop is
    // allowed is decided here.
    QTreeWidget::dragMoveEvent(event);
    if (Accepts(event)) {
        event->setDropAction(Qt::MoveAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void TLibraryTreeView::dropEvent(QDropEvent *event)
{
    stopAutoScroll();
    setState(NoState);
    if (!Accepts(event)) {
        event->ignore();
        return;
    }
    TXMLNodeItem *dragged = DraggedItem();
    TXMLNodeItem *target = ItemAt(event->position().toPoint());
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    event->setDropAction(Qt::MoveAction);
    event->accept();
    if (DropOn)
        DropOn(dragged, target, shift);
}

// ======================================================= the browser window

TPrehliadacVyrazovFrm::TPrehliadacVyrazovFrm(QWidget *parent)
    : KTandorelForm(parent), ui(new Ui::TPrehliadacVyrazovFrm), Viewer(std::make_unique<KExpressionViewer>()),
      Clipboard(std::make_unique<KNodeClipboard>()), Dta(GetPrehliadacVyrazovDta())
{
    ui->setupUi(this);
    KeepTextsWhole(this, minimumSize(), true);
    ui->kniznicaPnl->hide();
    ui->Splitter1->setStretchFactor(0, 2);
    ui->Splitter1->setStretchFactor(1, 3);

    TValueListEditor *grid = ui->premenneVle;
    grid->KeysEditable = false;
    grid->ValuesEditable = false;
    grid->CanAddRows = false;
    grid->CanDeleteRows = false;
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->SetTitles(QStringLiteral("Name"), QStringLiteral("Description"));

    Texts.Field(&LibraryPath, "Addresses", "LibraryPath", QStringLiteral("lib/"))
        .Field(&SaveChangesCaption, "ExpressionBrowser", "SaveChangesCaption", QStringLiteral("Save changes"))
        .Field(&SaveChanges, "ExpressionBrowser", "SaveChanges",
               QStringLiteral("Some libraries have been modified: #1 Save changes?"))
        .Field(&ReallyDeleteCaption, "ExpressionBrowser", "ReallyDeleteCaption", QStringLiteral("Delete item"))
        .Field(&ReallyDelete, "ExpressionBrowser", "ReallyDelete", QStringLiteral("Really delete selected item?"))
        .Field(&NewCategoryText, "ExpressionBrowser", "NewCategory", QStringLiteral("New category"))
        .Field(&LoadErrorCaption, "ExpressionBrowser", "LoadErrorCaption",
               QStringLiteral("Error while loading libraries"))
        .Field(&LoadError, "ExpressionBrowser", "LoadError",
               QStringLiteral("Some files in the library directory could not be loaded:"))
        .Field(&NoLibraries, "ExpressionBrowser", "NoLibraries",
               QStringLiteral("No libraries found in the library folder."))
        .Field(&ReallyReloadCaption, "ExpressionBrowser", "ReallyReloadCaption", QStringLiteral("Reload libraries"))
        .Field(&ReallyReload, "ExpressionBrowser", "ReallyReload",
               QStringLiteral("Reloading will cause loss of changes in these modified libraries:#1Really reload?"))
        .Field(&SaveErrorCaption, "ExpressionBrowser", "SaveErrorCaption",
               QStringLiteral("Error while saving libraries"))
        .Field(&SaveError, "ExpressionBrowser", "SaveError",
               QStringLiteral("These libraries could not be saved and keep their changes:"))
        .Caption(this, "ExpressionBrowser", "Caption")
        .Text(ui->pouzitBtn, "Common", "Use")
        .Text(ui->zatvoritBtn, "Common", "Close")
        .Text(ui->Button1, "Common", "Reload")
        .Text(ui->autorNadpisLbl, "Common", "Author")
        .Text(ui->webNadpisLbl, "Common", "Web")
        .Text(ui->emailNadpisLbl, "Common", "Email")
        .Column(grid, 0, "Common", "Name")
        .Text(ui->nazovKnizniceNadpisLbl, "ExpressionBrowser", "Library")
        .Text(ui->nazovSuboruNadpisLbl, "ExpressionBrowser", "FileName")
        .Text(ui->verziaNadpisLbl, "ExpressionBrowser", "FileVersion")
        .Text(ui->popisKnizniceNadpisLbl, "ExpressionBrowser", "Description")
        .Text(ui->popisLbl, "ExpressionBrowser", "Description")
        .Text(ui->nazovLbl, "ExpressionBrowser", "ExpressionName")
        .Text(ui->vyrazLbl, "ExpressionBrowser", "Expression")
        .Text(ui->premenneLbl, "ExpressionBrowser", "Variables")
        // Its default is the caption that the variables' label has then.
        .Entry(
            "ExpressionBrowser", "VariableDescritpion", [this] { return ui->premenneLbl->text(); },
            [grid](const QString &S) { grid->setHorizontalHeaderItem(1, new QTableWidgetItem(S)); });
    Texts.SetDefaultTexts();

    // The hidden tool bar carries the menu's actions, as the menu does.
    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->hide();
    const std::pair<const char *, QAction *> buttons[] = {
        {"newLibraryTBtn", Dta->novaKniznicaMni}, {"newCategoryTbtn", Dta->novaKategoriaMni},
        {"newExpressionTBtn", Dta->novyVyrazMni}, {"modifyTBtn", Dta->upravitMni},
        {"deleteTbtn", Dta->odstranitMni},
    };
    for (const auto &[name, action] : buttons) {
        auto *button = new QToolButton(ToolBar1);
        button->setObjectName(QString::fromLatin1(name));
        button->setDefaultAction(action);
        ToolBar1->addWidget(button);
    }

    // Opens beside the calculator, on its screen.
    if (ITandorelMainForm *main = TGUIManager::Instance()->GetMainForm()) {
        SetMainForm(main);
        PlaceNextToMainForm();
    }

    Dta->Browser = this;
    connect(Dta->reloadMni, &QAction::triggered, this, [this] { AskReload(); });
    connect(Dta->saveMni, &QAction::triggered, this, [this] { SaveLibraries(); });
    connect(Dta->openLibraryDirectoryMni, &QAction::triggered, this, [this] { OpenLibraryDirectory(); });
    connect(Dta->novaKniznicaMni, &QAction::triggered, this, [this] { NewLibrary(); });
    connect(Dta->novaKategoriaMni, &QAction::triggered, this, [this] { NewCategory(); });
    connect(Dta->novyVyrazMni, &QAction::triggered, this, [this] { NewExpression(); });
    connect(Dta->premenovatMni, &QAction::triggered, this, [this] { Rename(); });
    connect(Dta->odstranitMni, &QAction::triggered, this, [this] { DeleteSelected(); });
    connect(Dta->upravitMni, &QAction::triggered, this, [this] { Modify(); });

    TLibraryTreeView *tree = ui->stromVyrazovTrv;
    tree->CanDropOn = [this](TXMLNodeItem *d, TXMLNodeItem *t, bool shift) { return CanDropOn(d, t, shift); };
    tree->DropOn = [this](TXMLNodeItem *d, TXMLNodeItem *t, bool shift) { DropOnItem(d, t, shift); };
    tree->installEventFilter(this);
    connect(tree, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem *current) { stromVyrazovTrvChange(current); });
    connect(tree, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem *item) {
        if (auto *node = AsNodeItem(item); node && NodeKind(node->Ref.Node) == NodeExpression)
            UseSelected();
    });
    connect(tree, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) { stromVyrazovPmnPopup(pos); });
    connect(tree->itemDelegate(), &QAbstractItemDelegate::closeEditor, this, [this] {
        if (RenamingItem)
            stromVyrazovTrvEdited(RenamingItem);
    });

    connect(ui->pouzitBtn, &QPushButton::clicked, this, [this] { UseSelected(); });
    connect(ui->zatvoritBtn, &QPushButton::clicked, this, [this] { close(); });
    connect(ui->Button1, &QPushButton::clicked, this, [this] { Reload(); });
    ConnectLinkLabel(ui->webLbl, [this] {
        if (!ui->webLbl->text().isEmpty())
            OpenUrlLabel(ui->webLbl);
    });
    ConnectLinkLabel(ui->emailLbl, [this] {
        if (!ui->emailLbl->text().isEmpty())
            OpenMailtoLabel(ui->emailLbl);
    });

    EnableActions();
}

TPrehliadacVyrazovFrm::~TPrehliadacVyrazovFrm()
{
    // Items first: they refer to the libraries.
    ui->stromVyrazovTrv->clear();
    if (Dta->Browser == this)
        FreePrehliadacVyrazovDta();
    delete ui;
}

TLibraryTreeView *TPrehliadacVyrazovFrm::Tree() const
{
    return ui->stromVyrazovTrv;
}

QString TPrehliadacVyrazovFrm::LibraryFolder() const
{
    return LibraryFolderIn(UserDataDir(), LibraryPath);
}

void TPrehliadacVyrazovFrm::TranslateTexts()
{
    Texts.Translate();
    if (PrehliadacVyrazovDtaExists())
        Dta->TranslateTexts();
    if (UpravyKnizniceFrmExists())
        GetUpravyKnizniceFrm(this)->TranslateTexts();
    if (UpravyVyrazuFrmExists())
        GetUpravyVyrazuFrm(this)->TranslateTexts();
    // The libraries are read whatever the language; unsaved changes are
    // never dropped by a change of language.
    if (!Viewer->IsModified())
        Reload();
}

// ------------------------------------------------------------- the tree

QString TPrehliadacVyrazovFrm::LibraryCaption(const TKniznicaVyrazov *Library) const
{
    TLibraryInfo info;
    Library->ReadLibraryInfo(info);
    // A library without a name still needs a node to hold its contents.
    if (info.Name.isEmpty())
        return QFileInfo(Library->FileName).completeBaseName();
    return info.Name;
}

TXMLNodeItem *TPrehliadacVyrazovFrm::MakeItem(const QDomElement &Node, TKniznicaVyrazov *Library) const
{
    auto *item = new TXMLNodeItem({Node, Library});
    const int kind = NodeKind(Node);
    item->setText(0, kind == NodeLibrary ? LibraryCaption(Library) : Node.attribute(QStringLiteral("name")));
    item->setIcon(0, Dta->KindImage(kind));
    return item;
}

TXMLNodeItem *TPrehliadacVyrazovFrm::BuildSubtree(const QDomElement &Node, TKniznicaVyrazov *Library) const
{
    TXMLNodeItem *root = MakeItem(Node, Library);
    // The shown ancestors of the element being visited, innermost last.
    std::vector<std::pair<QDomElement, TXMLNodeItem *>> path{{Node, root}};
    ForEachShownElement(Node, [&](const QDomElement &element, const QDomElement &shownParent) {
        while (path.size() > 1 && path.back().first != shownParent)
            path.pop_back();
        TXMLNodeItem *item = MakeItem(element, Library);
        path.back().second->addChild(item);
        path.emplace_back(element, item);
    });

    // Within a parent, categories come before expressions; nodes of one
    // kind keep their order in the file.
    std::vector<QTreeWidgetItem *> pending{root};
    while (!pending.empty()) {
        QTreeWidgetItem *item = pending.back();
        pending.pop_back();
        auto kind = [](QTreeWidgetItem *i) { return NodeKind(static_cast<TXMLNodeItem *>(i)->Ref.Node); };
        bool sorted = true;
        for (int i = 1; i < item->childCount() && sorted; ++i)
            sorted = kind(item->child(i - 1)) <= kind(item->child(i));
        if (!sorted) {
            QList<QTreeWidgetItem *> children = item->takeChildren();
            std::stable_sort(children.begin(), children.end(),
                             [&kind](QTreeWidgetItem *a, QTreeWidgetItem *b) { return kind(a) < kind(b); });
            item->addChildren(children);
        }
        for (int i = 0; i < item->childCount(); ++i)
            if (item->child(i)->childCount() > 0)
                pending.push_back(item->child(i));
    }
    return root;
}

void TPrehliadacVyrazovFrm::BuildTree()
{
    TLibraryTreeView *tree = ui->stromVyrazovTrv;
    RenamingItem = nullptr;
    tree->clear();
    QList<QTreeWidgetItem *> libraries;
    for (int i = 0; i < Viewer->Count(); ++i) {
        TKniznicaVyrazov *library = Viewer->Library(i);
        if (!library->MarkedDeleted)
            libraries << BuildSubtree(library->GetDocumentElement(), library);
    }
    tree->addTopLevelItems(libraries);
}

void TPrehliadacVyrazovFrm::InsertSorted(QTreeWidgetItem *Parent, QTreeWidgetItem *Item)
{
    const QDomElement node = static_cast<TXMLNodeItem *>(Item)->Ref.Node;
    int index = 0;
    for (; index < Parent->childCount(); ++index) {
        auto *sibling = AsNodeItem(Parent->child(index));
        if (sibling && ShownOrderLess(node, sibling->Ref.Node))
            break;
    }
    Parent->insertChild(index, Item);
}

TXMLNodeItem *TPrehliadacVyrazovFrm::FindItem(const QDomElement &Node) const
{
    QTreeWidgetItemIterator it(ui->stromVyrazovTrv);
    for (; *it; ++it)
        if (auto *item = AsNodeItem(*it); item && item->Ref.Node == Node)
            return item;
    return nullptr;
}

TXMLNodeItem *TPrehliadacVyrazovFrm::SelectedItem() const
{
    return AsNodeItem(ui->stromVyrazovTrv->currentItem());
}

void TPrehliadacVyrazovFrm::Select(QTreeWidgetItem *Item)
{
    TLibraryTreeView *tree = ui->stromVyrazovTrv;
    if (!Item) {
        tree->setCurrentItem(nullptr);
        tree->clearSelection();
        stromVyrazovTrvChange(nullptr);
        return;
    }
    tree->setCurrentItem(Item);
    tree->scrollToItem(Item);
}

// ------------------------------------------------------ loading and saving

void TPrehliadacVyrazovFrm::Reload()
{
    QString failed;
    Viewer->LoadLibraries(LibraryFolder(), failed);
    BuildTree();
    Select(nullptr);
    if (!failed.isEmpty())
        KMainProgram::Instance()->ShowMessage(LoadErrorCaption, LoadError + u'\n' + failed);
    else if (ui->stromVyrazovTrv->topLevelItemCount() == 0)
        KMainProgram::Instance()->ShowMessage(LoadErrorCaption, NoLibraries);
    EnableActions();
}

QString TPrehliadacVyrazovFrm::WithModifiedList(const QString &Text) const
{
    QString text = Text;
    const qsizetype mark = text.indexOf(QStringLiteral("#1"));
    if (mark >= 0)
        text.replace(mark, 2, u'\n' + Viewer->GetModifiedList() + QStringLiteral("\n\n"));
    return text;
}

void TPrehliadacVyrazovFrm::AskReload()
{
    if (Viewer->IsModified()) {
        QMessageBox box(QMessageBox::Warning, ReallyReloadCaption, WithModifiedList(ReallyReload),
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, this);
        if (box.exec() != QMessageBox::Yes)
            return;
    }
    Reload();
}

bool TPrehliadacVyrazovFrm::SaveLibraries(bool Report)
{
    const QList<TSaveFailure> failures = Viewer->SaveAll();
    EnableActions();
    if (failures.isEmpty())
        return true;
    if (!Report)
        return false;
    QString text = SaveError + u'\n';
    for (const TSaveFailure &f : failures)
        text += QStringLiteral("\n- %1 (%2): %3").arg(f.Name, f.FileName, f.Reason);
    KMainProgram::Instance()->ShowMessage(SaveErrorCaption, text);
    return false;
}

int TPrehliadacVyrazovFrm::AskSaveChanges()
{
    QMessageBox box(QMessageBox::Warning, SaveChangesCaption, WithModifiedList(SaveChanges),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, this);
    return box.exec();
}

bool TPrehliadacVyrazovFrm::OfferUnsavedChanges(bool CanAsk)
{
    if (!Viewer->IsModified())
        return true;
    if (!CanAsk) {
        SaveLibraries(false);
        return true;
    }
    switch (AskSaveChanges()) {
    case QMessageBox::Yes:
        return SaveLibraries();
    case QMessageBox::No:
        return true;
    default:
        return false;
    }
}

void TPrehliadacVyrazovFrm::closeEvent(QCloseEvent *event)
{
    if (Viewer->IsModified()) {
        const int answer = AskSaveChanges();
        // No closes and keeps the changes in memory: they are offered again
        // at the next close and when the program ends.
        if (answer == QMessageBox::Cancel || (answer == QMessageBox::Yes && !SaveLibraries())) {
            event->ignore();
            return;
        }
    }
    KTandorelForm::closeEvent(event);
}

void TPrehliadacVyrazovFrm::OpenLibraryDirectory()
{
    OpenURL(LibraryFolder());
}

// --------------------------------------------------------- the selection

void TPrehliadacVyrazovFrm::ClearDetails()
{
    ui->nazovEdt->clear();
    ui->vyrazEdt->clear();
    ui->PopisMmo->clear();
    ui->premenneVle->Clear();
    ui->nazovKnizniceEdt->clear();
    ui->suborEdt->clear();
    ui->verziaLbl->clear();
    ui->autorLbl->clear();
    ui->webLbl->clear();
    ui->emailLbl->clear();
    ui->popisKnizniceMmo->clear();
    ui->pouzitBtn->setEnabled(false);
}

void TPrehliadacVyrazovFrm::stromVyrazovTrvChange(QTreeWidgetItem *Current)
{
    if (auto *item = AsNodeItem(Current)) {
        SelectedNode = item->Ref.Node;
        SelectedLibrary = item->Ref.Library;
        ShowSelection();
    } else {
        // Nothing selected (a deletion, a reload): no stale details, and
        // nothing for Use.
        SelectedNode = QDomElement();
        SelectedLibrary = nullptr;
        ClearDetails();
    }
    EnableActions();
}

void TPrehliadacVyrazovFrm::ShowSelection()
{
    if (SelectedNode.isNull() || !SelectedLibrary)
        return;
    QStringList lines;
    switch (NodeKind(SelectedNode)) {
    case NodeExpression: {
        QString name;
        QString notation;
        TStringList variables;
        ReadSelectedExpression(name, notation, lines, variables);
        ui->nazovEdt->setText(name);
        ui->vyrazEdt->setText(notation);
        ui->vyrazEdt->setCursorPosition(0);
        ui->PopisMmo->setPlainText(lines.join(u'\n'));
        ui->premenneVle->SetStrings(variables.Lines());
        ui->kniznicaPnl->hide();
        ui->vyrazPnl->show();
        ui->pouzitBtn->setEnabled(true);
        break;
    }
    case NodeLibrary: {
        TLibraryInfo info;
        SelectedLibrary->ReadLibraryInfo(info);
        ui->nazovKnizniceEdt->setText(info.Name);
        ui->suborEdt->setText(info.FileName);
        ui->verziaLbl->setText(info.Version);
        ui->autorLbl->setText(info.Author);
        ui->webLbl->setText(info.AuthorWeb);
        ui->emailLbl->setText(info.AuthorEmail);
        SplitLines(info.Description, lines, u'|');
        ui->popisKnizniceMmo->setPlainText(lines.join(u'\n'));
        ui->vyrazPnl->hide();
        ui->kniznicaPnl->show();
        ui->pouzitBtn->setEnabled(false);
        break;
    }
    default:
        break;
    }
}

void TPrehliadacVyrazovFrm::ReadSelectedExpression(QString &Name, QString &Notation, QStringList &Description,
                                                   TStringList &Variables) const
{
    QString description;
    SelectedLibrary->ReadExpressionNode(SelectedNode, Name, Notation, description, Variables);
    SplitLines(description, Description, u'|');
}

void TPrehliadacVyrazovFrm::EnableActions()
{
    const int kind = SelectedNode.isNull() ? -1 : NodeKind(SelectedNode);
    const bool container = kind == NodeLibrary || kind == NodeCategory;
    Dta->novaKategoriaMni->setEnabled(container);
    Dta->novyVyrazMni->setEnabled(container);
    Dta->premenovatMni->setEnabled(container);
    Dta->odstranitMni->setEnabled(kind >= 0);
    Dta->upravitMni->setEnabled(kind == NodeLibrary || kind == NodeExpression);
    Dta->saveMni->setEnabled(Viewer->IsModified());
    Dta->reloadMni->setEnabled(true);
    Dta->novaKniznicaMni->setEnabled(true);
    Dta->openLibraryDirectoryMni->setEnabled(true);
}

void TPrehliadacVyrazovFrm::stromVyrazovPmnPopup(const QPoint &Pos)
{
    EnableActions();
    Dta->stromVyrazovPmn->popup(ui->stromVyrazovTrv->viewport()->mapToGlobal(Pos));
}

void TPrehliadacVyrazovFrm::UseSelected()
{
    if (SelectedNode.isNull() || NodeKind(SelectedNode) != NodeExpression)
        return;
    // Library files are shared between users of either decimal separator.
    QString text = ui->vyrazEdt->text();
    NormalizeDecimalSeparators(text);
    KMainProgram::Instance()->SetExpression(text, true);
}

// ------------------------------------------------------------- editing

void TPrehliadacVyrazovFrm::NewLibrary()
{
    TUpravyKnizniceFrm *dialog = GetUpravyKnizniceFrm(this);
    dialog->Clear();
    dialog->FileNameInUse = [this](const QString &FileName) { return Viewer->FindByFileName(FileName) != nullptr; };
    if (dialog->exec() != QDialog::Accepted)
        return;
    TKniznicaVyrazov *library = Viewer->AddLibrary(dialog->GetLibraryInfo());
    TXMLNodeItem *item = BuildSubtree(library->GetDocumentElement(), library);
    ui->stromVyrazovTrv->addTopLevelItem(item);
    Select(item);
    EnableActions();
}

void TPrehliadacVyrazovFrm::NewCategory()
{
    TXMLNodeItem *parent = SelectedItem();
    if (!parent || SelectedNode.isNull())
        return;
    ShowNewChild(parent, SelectedLibrary->AddCategory(SelectedNode, NewCategoryText));
    // The user types the name at once.
    Rename();
}

void TPrehliadacVyrazovFrm::NewExpression()
{
    TXMLNodeItem *parent = SelectedItem();
    if (!parent || SelectedNode.isNull())
        return;
    TUpravyVyrazuFrm *dialog = GetUpravyVyrazuFrm(this);
    dialog->Clear();
    if (dialog->exec() != QDialog::Accepted)
        return;
    TStringList variables;
    variables.Lines() = dialog->VariableLines();
    ShowNewChild(parent, SelectedLibrary->AddExpression(SelectedNode, dialog->Name(), dialog->Notation(),
                                                        JoinLines(dialog->DescriptionLines(), u'|'), variables));
}

void TPrehliadacVyrazovFrm::Rename()
{
    TXMLNodeItem *item = SelectedItem();
    if (!item)
        return;
    RenamingItem = item;
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    ui->stromVyrazovTrv->editItem(item, 0);
}

void TPrehliadacVyrazovFrm::stromVyrazovTrvEdited(QTreeWidgetItem *Item)
{
    RenamingItem = nullptr;
    Item->setFlags(Item->flags() & ~Qt::ItemIsEditable);
    auto *item = AsNodeItem(Item);
    if (!item)
        return;
    const QString oldName = item->Ref.Node.attribute(QStringLiteral("name"));
    const QString newName = item->text(0);
    if (newName.trimmed().isEmpty()) {
        // A node without a caption could not be found in the tree again.
        item->setText(0, NodeKind(item->Ref.Node) == NodeLibrary ? LibraryCaption(item->Ref.Library) : oldName);
        return;
    }
    if (newName != oldName)
        item->Ref.Library->RenameNode(item->Ref.Node, newName);
    if (item == SelectedItem())
        ShowSelection();
    EnableActions();
}

void TPrehliadacVyrazovFrm::Modify()
{
    TXMLNodeItem *item = SelectedItem();
    if (!item || SelectedNode.isNull())
        return;
    switch (NodeKind(SelectedNode)) {
    case NodeLibrary: {
        TUpravyKnizniceFrm *dialog = GetUpravyKnizniceFrm(this);
        TLibraryInfo info;
        SelectedLibrary->ReadLibraryInfo(info);
        dialog->SetLibraryInfo(info);
        TKniznicaVyrazov *library = SelectedLibrary;
        dialog->FileNameInUse = [this, library](const QString &FileName) {
            return Viewer->FindByFileName(FileName, library) != nullptr;
        };
        if (dialog->exec() != QDialog::Accepted)
            return;
        SelectedLibrary->WriteLibraryInfo(dialog->GetLibraryInfo());
        item->setText(0, LibraryCaption(SelectedLibrary));
        break;
    }
    case NodeExpression: {
        QString name;
        QString notation;
        QStringList lines;
        TStringList variables;
        ReadSelectedExpression(name, notation, lines, variables);
        TUpravyVyrazuFrm *dialog = GetUpravyVyrazuFrm(this);
        dialog->SetExpression(name, notation, lines, variables.Lines());
        if (dialog->exec() != QDialog::Accepted)
            return;
        variables.Lines() = dialog->VariableLines();
        SelectedLibrary->UpdateExpression(SelectedNode, dialog->Name(), dialog->Notation(),
                                          JoinLines(dialog->DescriptionLines(), u'|'), variables);
        item->setText(0, dialog->Name());
        break;
    }
    default:
        return;
    }
    ShowSelection();
    EnableActions();
}

void TPrehliadacVyrazovFrm::DeleteSelected()
{
    TXMLNodeItem *item = SelectedItem();
    if (!item || SelectedNode.isNull())
        return;
    QMessageBox box(QMessageBox::Warning, ReallyDeleteCaption, ReallyDelete, QMessageBox::Yes | QMessageBox::No, this);
    if (box.exec() != QMessageBox::Yes)
        return;
    if (NodeKind(SelectedNode) == NodeLibrary && SelectedNode == SelectedLibrary->GetDocumentElement())
        SelectedLibrary->MarkDeleted(true);
    else
        SelectedLibrary->RemoveNode(SelectedNode);
    if (item == RenamingItem)
        RenamingItem = nullptr;
    delete item;
    Select(nullptr);
}

void TPrehliadacVyrazovFrm::CopyNode()
{
    if (!SelectedNode.isNull())
        Clipboard->Copy(SelectedNode);
}

void TPrehliadacVyrazovFrm::CutNode()
{
    if (SelectedNode.isNull())
        return;
    CopyNode();
    DeleteSelected();
}

void TPrehliadacVyrazovFrm::PasteNode()
{
    TXMLNodeItem *target = SelectedItem();
    if (Clipboard->IsEmpty() || !target)
        return;
    const QDomNode copy = Clipboard->GetNode();
    const QDomElement pasted = ::PasteNode(target->Ref.Library, target->Ref.Node, copy);
    if (pasted.isNull()) {
        const bool libraryOntoLibrary =
            NodeKind(copy.toElement()) == NodeLibrary && NodeKind(target->Ref.Node) == NodeLibrary;
        if (!libraryOntoLibrary)
            QApplication::beep();
        return;
    }
    InsertSorted(target->parent(), BuildSubtree(pasted, target->Ref.Library));
    EnableActions();
}

bool TPrehliadacVyrazovFrm::CanDropOn(TXMLNodeItem *Dragged, TXMLNodeItem *Target, bool Shift) const
{
    return Dragged && Target && CanDrop(Dragged->Ref.Node, Target->Ref.Node, Shift);
}

void TPrehliadacVyrazovFrm::DropOnItem(TXMLNodeItem *Dragged, TXMLNodeItem *Target, bool Shift)
{
    if (!CanDropOn(Dragged, Target, Shift))
        return;
    TKniznicaVyrazov *destination = Target->Ref.Library;
    const QDomElement moved = DropNode(Dragged->Ref.Library, Dragged->Ref.Node, destination, Target->Ref.Node, Shift);
    if (moved.isNull())
        return;
    // Into the target, or beside it (into the element that holds it).
    QTreeWidgetItem *parent = moved.parentNode() == Target->Ref.Node ? Target : Target->parent();
    delete Dragged;
    // The moved node is selected, so that what is shown and what the
    // actions work on are one node.
    ShowNewChild(parent, moved);
}

void TPrehliadacVyrazovFrm::ShowNewChild(QTreeWidgetItem *Parent, const QDomElement &Node)
{
    TXMLNodeItem *item = BuildSubtree(Node, static_cast<TXMLNodeItem *>(Parent)->Ref.Library);
    InsertSorted(Parent, item);
    Parent->setExpanded(true);
    Select(item);
    EnableActions();
}

// ---------------------------------------------------------------- events

bool TPrehliadacVyrazovFrm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->stromVyrazovTrv && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Delete && key->modifiers() == Qt::NoModifier) {
            DeleteSelected();
            return true;
        }
        if (key->modifiers() & Qt::ControlModifier) {
            switch (key->key()) {
            case Qt::Key_C:
                CopyNode();
                return true;
            case Qt::Key_V:
                PasteNode();
                return true;
            case Qt::Key_X:
                CutNode();
                return true;
            default:
                break;
            }
        }
    }
    return KTandorelForm::eventFilter(watched, event);
}
