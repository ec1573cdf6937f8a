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

TXMLNodeItem *AsNodeItem(QTreeWidgetItem *item)
{
    return dynamic_cast<TXMLNodeItem *>(item);
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

void TLibraryTreeView::BeginDrag(TXMLNodeItem *item)
{
    m_dragged = item ? QPersistentModelIndex(indexFromItem(item)) : QPersistentModelIndex();
}

void TLibraryTreeView::EndDrag()
{
    m_dragged = QPersistentModelIndex();
}

TXMLNodeItem *TLibraryTreeView::DraggedItem() const
{
    return m_dragged.isValid() ? AsNodeItem(itemFromIndex(m_dragged)) : nullptr;
}

TXMLNodeItem *TLibraryTreeView::ItemAt(const QPoint &pos) const
{
    return AsNodeItem(itemAt(pos));
}

void TLibraryTreeView::mousePressEvent(QMouseEvent *event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    m_pressed = index;
    QTreeWidget::mousePressEvent(event);
}

void TLibraryTreeView::startDrag(Qt::DropActions)
{
    TXMLNodeItem *item = m_pressed.isValid() ? AsNodeItem(itemFromIndex(m_pressed)) : nullptr;
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
      Clipboard(std::make_unique<KNodeClipboard>()), m_dta(GetPrehliadacVyrazovDta())
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

    m_texts.Field(&LibraryPath, "Addresses", "LibraryPath", QStringLiteral("lib/"))
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
            [grid](const QString &s) { grid->setHorizontalHeaderItem(1, new QTableWidgetItem(s)); });
    m_texts.SetDefaultTexts();

    // The hidden tool bar carries the menu's actions, as the menu does.
    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->hide();
    const std::pair<const char *, QAction *> buttons[] = {
        {"newLibraryTBtn", m_dta->novaKniznicaMni}, {"newCategoryTbtn", m_dta->novaKategoriaMni},
        {"newExpressionTBtn", m_dta->novyVyrazMni}, {"modifyTBtn", m_dta->upravitMni},
        {"deleteTbtn", m_dta->odstranitMni},
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

    m_dta->Browser = this;
    connect(m_dta->reloadMni, &QAction::triggered, this, [this] { AskReload(); });
    connect(m_dta->saveMni, &QAction::triggered, this, [this] { SaveLibraries(); });
    connect(m_dta->openLibraryDirectoryMni, &QAction::triggered, this, [this] { OpenLibraryDirectory(); });
    connect(m_dta->novaKniznicaMni, &QAction::triggered, this, [this] { NewLibrary(); });
    connect(m_dta->novaKategoriaMni, &QAction::triggered, this, [this] { NewCategory(); });
    connect(m_dta->novyVyrazMni, &QAction::triggered, this, [this] { NewExpression(); });
    connect(m_dta->premenovatMni, &QAction::triggered, this, [this] { Rename(); });
    connect(m_dta->odstranitMni, &QAction::triggered, this, [this] { DeleteSelected(); });
    connect(m_dta->upravitMni, &QAction::triggered, this, [this] { Modify(); });

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
        if (m_renamingItem)
            stromVyrazovTrvEdited(m_renamingItem);
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
    if (m_dta->Browser == this)
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
    m_texts.Translate();
    if (PrehliadacVyrazovDtaExists())
        m_dta->TranslateTexts();
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

QString TPrehliadacVyrazovFrm::LibraryCaption(const TKniznicaVyrazov *library) const
{
    TLibraryInfo info;
    library->ReadLibraryInfo(info);
    // A library without a name still needs a node to hold its contents.
    if (info.Name.isEmpty())
        return QFileInfo(library->FileName).completeBaseName();
    return info.Name;
}

TXMLNodeItem *TPrehliadacVyrazovFrm::MakeItem(const QDomElement &node, TKniznicaVyrazov *library) const
{
    auto *item = new TXMLNodeItem({node, library});
    const int kind = NodeKind(node);
    item->setText(0, kind == NodeLibrary ? LibraryCaption(library) : node.attribute(QStringLiteral("name")));
    item->setIcon(0, m_dta->KindImage(kind));
    return item;
}

TXMLNodeItem *TPrehliadacVyrazovFrm::BuildSubtree(const QDomElement &node, TKniznicaVyrazov *library) const
{
    TXMLNodeItem *root = MakeItem(node, library);
    // The shown ancestors of the element being visited, innermost last.
    std::vector<std::pair<QDomElement, TXMLNodeItem *>> path{{node, root}};
    ForEachShownElement(node, [&](const QDomElement &element, const QDomElement &shownParent) {
        while (path.size() > 1 && path.back().first != shownParent)
            path.pop_back();
        TXMLNodeItem *item = MakeItem(element, library);
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
    m_renamingItem = nullptr;
    tree->clear();
    QList<QTreeWidgetItem *> libraries;
    for (int i = 0; i < Viewer->Count(); ++i) {
        TKniznicaVyrazov *library = Viewer->Library(i);
        if (!library->MarkedDeleted)
            libraries << BuildSubtree(library->GetDocumentElement(), library);
    }
    tree->addTopLevelItems(libraries);
}

void TPrehliadacVyrazovFrm::InsertSorted(QTreeWidgetItem *parent, QTreeWidgetItem *item)
{
    const QDomElement node = static_cast<TXMLNodeItem *>(item)->Ref.Node;
    int index = 0;
    for (; index < parent->childCount(); ++index) {
        auto *sibling = AsNodeItem(parent->child(index));
        if (sibling && ShownOrderLess(node, sibling->Ref.Node))
            break;
    }
    parent->insertChild(index, item);
}

TXMLNodeItem *TPrehliadacVyrazovFrm::FindItem(const QDomElement &node) const
{
    QTreeWidgetItemIterator it(ui->stromVyrazovTrv);
    for (; *it; ++it)
        if (auto *item = AsNodeItem(*it); item && item->Ref.Node == node)
            return item;
    return nullptr;
}

TXMLNodeItem *TPrehliadacVyrazovFrm::SelectedItem() const
{
    return AsNodeItem(ui->stromVyrazovTrv->currentItem());
}

void TPrehliadacVyrazovFrm::Select(QTreeWidgetItem *item)
{
    TLibraryTreeView *tree = ui->stromVyrazovTrv;
    if (!item) {
        tree->setCurrentItem(nullptr);
        tree->clearSelection();
        stromVyrazovTrvChange(nullptr);
        return;
    }
    tree->setCurrentItem(item);
    tree->scrollToItem(item);
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

QString TPrehliadacVyrazovFrm::WithModifiedList(const QString &text) const
{
    QString withList = text;
    const qsizetype mark = withList.indexOf(QStringLiteral("#1"));
    if (mark >= 0)
        withList.replace(mark, 2, u'\n' + Viewer->GetModifiedList() + QStringLiteral("\n\n"));
    return withList;
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

bool TPrehliadacVyrazovFrm::SaveLibraries(bool report)
{
    const QList<TSaveFailure> failures = Viewer->SaveAll();
    EnableActions();
    if (failures.isEmpty())
        return true;
    if (!report)
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

bool TPrehliadacVyrazovFrm::OfferUnsavedChanges(bool canAsk)
{
    if (!Viewer->IsModified())
        return true;
    if (!canAsk) {
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

void TPrehliadacVyrazovFrm::stromVyrazovTrvChange(QTreeWidgetItem *current)
{
    if (auto *item = AsNodeItem(current)) {
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

void TPrehliadacVyrazovFrm::ReadSelectedExpression(QString &name, QString &notation, QStringList &description,
                                                   TStringList &variables) const
{
    QString joined;
    SelectedLibrary->ReadExpressionNode(SelectedNode, name, notation, joined, variables);
    SplitLines(joined, description, u'|');
}

void TPrehliadacVyrazovFrm::EnableActions()
{
    const int kind = SelectedNode.isNull() ? -1 : NodeKind(SelectedNode);
    const bool container = kind == NodeLibrary || kind == NodeCategory;
    m_dta->novaKategoriaMni->setEnabled(container);
    m_dta->novyVyrazMni->setEnabled(container);
    m_dta->premenovatMni->setEnabled(container);
    m_dta->odstranitMni->setEnabled(kind >= 0);
    m_dta->upravitMni->setEnabled(kind == NodeLibrary || kind == NodeExpression);
    m_dta->saveMni->setEnabled(Viewer->IsModified());
    m_dta->reloadMni->setEnabled(true);
    m_dta->novaKniznicaMni->setEnabled(true);
    m_dta->openLibraryDirectoryMni->setEnabled(true);
}

void TPrehliadacVyrazovFrm::stromVyrazovPmnPopup(const QPoint &pos)
{
    EnableActions();
    m_dta->stromVyrazovPmn->popup(ui->stromVyrazovTrv->viewport()->mapToGlobal(pos));
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
    dialog->FileNameInUse = [this](const QString &fileName) { return Viewer->FindByFileName(fileName) != nullptr; };
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
    m_renamingItem = item;
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    ui->stromVyrazovTrv->editItem(item, 0);
}

void TPrehliadacVyrazovFrm::stromVyrazovTrvEdited(QTreeWidgetItem *item)
{
    m_renamingItem = nullptr;
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    auto *nodeItem = AsNodeItem(item);
    if (!nodeItem)
        return;
    const QString oldName = nodeItem->Ref.Node.attribute(QStringLiteral("name"));
    const QString newName = nodeItem->text(0);
    if (newName.trimmed().isEmpty()) {
        // A node without a caption could not be found in the tree again.
        nodeItem->setText(0, NodeKind(nodeItem->Ref.Node) == NodeLibrary ? LibraryCaption(nodeItem->Ref.Library)
                                                                         : oldName);
        return;
    }
    if (newName != oldName)
        nodeItem->Ref.Library->RenameNode(nodeItem->Ref.Node, newName);
    if (nodeItem == SelectedItem())
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
        dialog->FileNameInUse = [this, library](const QString &fileName) {
            return Viewer->FindByFileName(fileName, library) != nullptr;
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
    if (item == m_renamingItem)
        m_renamingItem = nullptr;
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

bool TPrehliadacVyrazovFrm::CanDropOn(TXMLNodeItem *dragged, TXMLNodeItem *target, bool shift) const
{
    return dragged && target && CanDrop(dragged->Ref.Node, target->Ref.Node, shift);
}

void TPrehliadacVyrazovFrm::DropOnItem(TXMLNodeItem *dragged, TXMLNodeItem *target, bool shift)
{
    if (!CanDropOn(dragged, target, shift))
        return;
    TKniznicaVyrazov *destination = target->Ref.Library;
    const QDomElement moved = DropNode(dragged->Ref.Library, dragged->Ref.Node, destination, target->Ref.Node, shift);
    if (moved.isNull())
        return;
    // Into the target, or beside it (into the element that holds it).
    QTreeWidgetItem *parent = moved.parentNode() == target->Ref.Node ? target : target->parent();
    delete dragged;
    // The moved node is selected, so that what is shown and what the
    // actions work on are one node.
    ShowNewChild(parent, moved);
}

void TPrehliadacVyrazovFrm::ShowNewChild(QTreeWidgetItem *parent, const QDomElement &node)
{
    TXMLNodeItem *item = BuildSubtree(node, static_cast<TXMLNodeItem *>(parent)->Ref.Library);
    InsertSorted(parent, item);
    parent->setExpanded(true);
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
