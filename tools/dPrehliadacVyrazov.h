#pragma once
// The expression browser's images and its popup menu: the tree's icons for
// libraries, categories and expressions and the menu's icons, from the
// desktop's icon theme with the style's standard icons where the theme has
// none. Created on first use and kept until FreePrehliadacVyrazovDta.
#include <QIcon>
#include <QList>
#include <QObject>

#include "shell/uTranslationTable.h"

class QAction;
class QMenu;
class QWidget;
class TPrehliadacVyrazovFrm;

class TPrehliadacVyrazovDta : public QObject
{
public:
    // The positions in ImageList1.
    enum TImage : int {
        ImageOther = 0,
        ImageCategory = 1,
        ImageExpression = 2,
        ImageLibrary = 3,
        ImageDelete = 4,
        ImageReload = 5,
        ImageSave = 6,
        ImageModify = 7,
        ImageOpenFolder = 8,
    };

    TPrehliadacVyrazovDta();
    ~TPrehliadacVyrazovDta() override;

    QList<QIcon> ImageList1;
    QMenu *stromVyrazovPmn;
    QAction *reloadMni;
    QAction *saveMni;
    QAction *openLibraryDirectoryMni;
    QAction *novaKniznicaMni;
    QAction *novaKategoriaMni;
    QAction *novyVyrazMni;
    QAction *premenovatMni;
    QAction *odstranitMni;
    QAction *upravitMni;

    // The browser window the menu works on (set by the window).
    TPrehliadacVyrazovFrm *Browser = nullptr;

    // The image of an element kind (NodeKind of uKniznica.h).
    QIcon KindImage(int kind) const;

    void TranslateTexts();

private:
    TTranslationTable m_texts;
};

TPrehliadacVyrazovDta *GetPrehliadacVyrazovDta();
bool PrehliadacVyrazovDtaExists();
void FreePrehliadacVyrazovDta();
