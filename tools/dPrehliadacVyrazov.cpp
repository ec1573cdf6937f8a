#include "tools/dPrehliadacVyrazov.h"

#include "tools/model/uKniznica.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QStyle>

namespace {

TPrehliadacVyrazovDta *TheModule = nullptr;

QIcon ThemeIcon(const char *name, QStyle::StandardPixmap fallback)
{
    return QIcon::fromTheme(QString::fromLatin1(name), QApplication::style()->standardIcon(fallback));
}

QAction *MenuItem(QMenu *menu, const char *name, const QString &caption, const QIcon &icon = QIcon())
{
    QAction *action = menu->addAction(icon, caption);
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

} // namespace

TPrehliadacVyrazovDta *GetPrehliadacVyrazovDta()
{
    if (!TheModule)
        TheModule = new TPrehliadacVyrazovDta();
    return TheModule;
}

bool PrehliadacVyrazovDtaExists()
{
    return TheModule != nullptr;
}

void FreePrehliadacVyrazovDta()
{
    delete TheModule;
    TheModule = nullptr;
}

TPrehliadacVyrazovDta::TPrehliadacVyrazovDta() : stromVyrazovPmn(new QMenu())
{
    ImageList1 = {
        ThemeIcon("text-x-generic", QStyle::SP_FileIcon),
        ThemeIcon("folder", QStyle::SP_DirIcon),
        ThemeIcon("accessories-calculator", QStyle::SP_FileDialogContentsView),
        ThemeIcon("accessories-dictionary", QStyle::SP_DriveHDIcon),
        ThemeIcon("edit-delete", QStyle::SP_TrashIcon),
        ThemeIcon("view-refresh", QStyle::SP_BrowserReload),
        ThemeIcon("document-save", QStyle::SP_DialogSaveButton),
        ThemeIcon("document-properties", QStyle::SP_FileDialogDetailedView),
        ThemeIcon("folder-open", QStyle::SP_DirOpenIcon),
    };
    QMenu *m = stromVyrazovPmn;
    m->setObjectName(QStringLiteral("stromVyrazovPmn"));
    reloadMni = MenuItem(m, "reloadMni", QStringLiteral("Reload"), ImageList1[ImageReload]);
    saveMni = MenuItem(m, "saveMni", QStringLiteral("Save"), ImageList1[ImageSave]);
    openLibraryDirectoryMni =
        MenuItem(m, "openLibraryDirectoryMni", QStringLiteral("Open library directory"), ImageList1[ImageOpenFolder]);
    m->addSeparator()->setObjectName(QStringLiteral("N2"));
    novaKniznicaMni = MenuItem(m, "novaKniznicaMni", QStringLiteral("New library"), ImageList1[ImageLibrary]);
    novaKategoriaMni = MenuItem(m, "novaKategoriaMni", QStringLiteral("New category"), ImageList1[ImageCategory]);
    novyVyrazMni = MenuItem(m, "novyVyrazMni", QStringLiteral("New expression"), ImageList1[ImageExpression]);
    m->addSeparator()->setObjectName(QStringLiteral("N1"));
    premenovatMni = MenuItem(m, "premenovatMni", QStringLiteral("Rename"));
    odstranitMni = MenuItem(m, "odstranitMni", QStringLiteral("Delete"), ImageList1[ImageDelete]);
    upravitMni = MenuItem(m, "upravitMni", QStringLiteral("Modify"), ImageList1[ImageModify]);

    m_texts.Text(reloadMni, "Common", "Reload")
        .Text(saveMni, "Common", "Save")
        .Text(openLibraryDirectoryMni, "ExpressionBrowser", "OpenLibraryDirectory")
        .Text(novaKniznicaMni, "ExpressionBrowser", "NewLibrary")
        .Text(novaKategoriaMni, "ExpressionBrowser", "NewCategory")
        .Text(novyVyrazMni, "ExpressionBrowser", "NewExpression")
        .Text(premenovatMni, "ExpressionBrowser", "Rename")
        .Text(odstranitMni, "Common", "Remove")
        .Text(upravitMni, "Common", "Modify");
}

TPrehliadacVyrazovDta::~TPrehliadacVyrazovDta()
{
    delete stromVyrazovPmn;
}

QIcon TPrehliadacVyrazovDta::KindImage(int kind) const
{
    switch (kind) {
    case NodeLibrary:
        return ImageList1[ImageLibrary];
    case NodeCategory:
        return ImageList1[ImageCategory];
    case NodeExpression:
        return ImageList1[ImageExpression];
    default:
        return ImageList1[ImageOther];
    }
}

void TPrehliadacVyrazovDta::TranslateTexts()
{
    m_texts.Translate();
}
