#include "tools/fFunctionGraph.h"
#include "ui_fFunctionGraph.h"

#include "shell/uGUIManager.h"
#include "shell/uMainProgram.h"
#include "shell/uProgramTranslator.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QWindow>

namespace {

// Frames of a drag: about sixty a second.
constexpr int FrameMilliseconds = 16;

// The design's places, which hold at its own font: the strips start 9
// pixels from the top, the vertical one 12 from the left and 40 wide, the
// horizontal one at least 21 high; the picture keeps 7 pixels to the right
// edge and 12 to the controls below it.
constexpr int StripTop = 9;
constexpr int VerticalStripLeft = 12;
constexpr int VerticalStripWidth = 40;
constexpr int HorizontalStripHeight = 21;
constexpr int MarginRight = 7;
constexpr int ControlsGap = 12;
// The controls' rows: from 6 pixels in, 4 pixels between them.
constexpr int ControlsLeft = 6;
constexpr int ControlSpacing = 4;
// The least picture the window keeps beside its controls.
constexpr int SmallestPicture = 60;
// The status bar's panels before the mouse has been over the picture.
const char *const PanelTexts[3] = {"x =", "y =", "f(x) ="};

// Buttons as the design draws them; a larger font makes them larger.
constexpr QSize ButtonSize(26, 22);
constexpr QSize ClearButtonSize(34, 30);

// Boxes of Sizes in rows, left to right from 0, a new row where Width runs
// out (a box wider than Width still has a row of its own). Places receives
// each box's rectangle (top-aligned in its row); the height used is
// returned.
int FlowRows(const QList<QSize> &sizes, int width, QList<QRect> &places)
{
    places.clear();
    int x = 0, rowTop = 0, rowHeight = 0;
    for (const QSize &size : sizes) {
        if (x > 0 && x + size.width() > width) {
            rowTop += rowHeight + ControlSpacing;
            x = rowHeight = 0;
        }
        places.append(QRect(QPoint(x, rowTop), size));
        x += size.width() + ControlSpacing;
        rowHeight = qMax(rowHeight, size.height());
    }
    return rowTop + rowHeight;
}

// Two sheets, one over the other: the clipboard copy.
QIcon CopyIcon()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(QColor(0x40, 0x40, 0x40));
    painter.setBrush(Qt::white);
    painter.drawRect(1, 1, 9, 10);
    painter.drawRect(5, 4, 9, 10);
    painter.setPen(QColor(0x80, 0x80, 0x80));
    for (int y = 7; y <= 12; y += 2)
        painter.drawLine(7, y, 12, y);
    return QIcon(pixmap);
}

// A house: the way home to x = 0.
QIcon HomeIcon()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x40, 0x40, 0x40), 1));
    painter.setBrush(QColor(0xC0, 0x30, 0x20));
    painter.drawPolygon(QPolygonF({QPointF(1.5, 8), QPointF(8, 1.5), QPointF(14.5, 8)}));
    painter.setBrush(QColor(0xF0, 0xE0, 0xB0));
    painter.drawRect(QRectF(3.5, 8, 9, 6.5));
    painter.setBrush(QColor(0x60, 0x40, 0x20));
    painter.drawRect(QRectF(7, 10, 2.5, 4.5));
    return QIcon(pixmap);
}

} // namespace

// ----------------------------------------------------------------- picture

TGraphImage::TGraphImage(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TGraphImage::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawImage(0, 0, Bitmap);
}

// ------------------------------------------------------------------ window

TFunctionGraphFrm::TFunctionGraphFrm(QWidget *parent)
    : KTandorelForm(parent), CaptionPrefix(QStringLiteral("Graph of function y = ")), ui(new Ui::TFunctionGraphFrm),
      m_exportFailedText(QStringLiteral("Unable to save the picture to #1."))
{
    ui->setupUi(this);
    resize(774, 427);

    QStyle *style = this->style();
    ui->moveHomeBtn->setIcon(HomeIcon());
    ui->moveLeftBtn->setIcon(style->standardIcon(QStyle::SP_ArrowLeft));
    ui->moveRightBtn->setIcon(style->standardIcon(QStyle::SP_ArrowRight));
    ui->moveUpDtn->setIcon(style->standardIcon(QStyle::SP_ArrowUp));
    ui->moveDownBtn->setIcon(style->standardIcon(QStyle::SP_ArrowDown));
    ui->copyToClipboardBtn->setIcon(QIcon::fromTheme(QStringLiteral("edit-copy"), CopyIcon()));
    ui->saveToFileBtn->setIcon(style->standardIcon(QStyle::SP_DialogSaveButton));
    ui->clearBtn->setIcon(style->standardIcon(QStyle::SP_TrashIcon));

    ui->movingPixelCountUpd->Min = 5;
    ui->movingPixelCountUpd->Max = 200;
    ui->movingPixelCountUpd->Increment = 5;
    ui->movingPixelCountUpd->SetAssociate(ui->movingPixelCountEdt);
    ui->movingPixelCountUpd->SetPosition(40);

    const int panelWidths[3] = {100, 100, 50};
    for (int i = 0; i < 3; ++i) {
        m_panels[i] = new QLabel(QString::fromLatin1(PanelTexts[i]), ui->StatusBar1);
        m_panels[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        m_panels[i]->setMinimumWidth(panelWidths[i]);
        ui->StatusBar1->addWidget(m_panels[i], i == 2 ? 1 : 0);
    }

    SaveDialog1 = new QFileDialog(this);
    SaveDialog1->setObjectName(QStringLiteral("SaveDialog1"));
    SaveDialog1->setAcceptMode(QFileDialog::AcceptSave);
    SaveDialog1->setFileMode(QFileDialog::AnyFile);
    SaveDialog1->setDefaultSuffix(QStringLiteral("bmp"));
    SaveDialog1->setNameFilter(QStringLiteral("Bitmap file (*.bmp)"));
    SaveDialog1->setOption(QFileDialog::ReadOnly, false);
    // The program's own dialog, as its other windows use.
    SaveDialog1->setOption(QFileDialog::DontUseNativeDialog);

    m_fGraph = std::make_unique<TFunctionGraph>(&ui->graphImg->Bitmap, ui->graphImg->width(), ui->graphImg->height(),
                                                &ui->verticalScaleImg->Bitmap, &ui->horizontalScaleImg->Bitmap);
    m_fGraph->Beep = [] { QApplication::beep(); };
    ApplyColours();
    m_fGraph->ScaleFont = font();
    FitControls();
    LayOut();

    m_texts.Field(&CaptionPrefix, "FunctionGraph", "GraphOfFunction", QStringLiteral("Graph of function y = "))
        .Field(&m_exportFailedText, "FunctionGraph", "ExportFailed",
               QStringLiteral("Unable to save the picture to #1."))
        .Text(ui->moveGpb, "FunctionGraph", "Move")
        .Text(ui->scaleGpb, "FunctionGraph", "Scale")
        .Text(ui->gridGpb, "FunctionGraph", "Grid")
        .Text(ui->exportGpb, "FunctionGraph", "Export")
        .Hint(ui->copyToClipboardBtn, "Common", "CopyToClipboard")
        .Hint(ui->saveToFileBtn, "Common", "SaveToFile")
        .Hint(ui->clearBtn, "FunctionGraph", "ClearFunctions");

    connect(ui->zoomInBtn, &QPushButton::clicked, this, [this] { zoomInBtnClick(true, true); });
    connect(ui->zoomOutBtn, &QPushButton::clicked, this, [this] { zoomOutBtnClick(true, true); });
    connect(ui->zoomInHorizontalyBtn, &QPushButton::clicked, this, [this] { zoomInBtnClick(true, false); });
    connect(ui->zoomOutHorizontalyBtn, &QPushButton::clicked, this, [this] { zoomOutBtnClick(true, false); });
    connect(ui->zoomInVerticaly, &QPushButton::clicked, this, [this] { zoomInBtnClick(false, true); });
    connect(ui->zoomOutVerticaly, &QPushButton::clicked, this, [this] { zoomOutBtnClick(false, true); });
    connect(ui->gridZoomInBtn, &QPushButton::clicked, this, [this] { gridZoomInBtnClick(true, true); });
    connect(ui->gridZoomOutBtn, &QPushButton::clicked, this, [this] { gridZoomOutBtnClick(true, true); });
    connect(ui->gridZoomInHorizontalyBtn, &QPushButton::clicked, this, [this] { gridZoomInBtnClick(true, false); });
    connect(ui->gridZoomOutHorizontalyBtn, &QPushButton::clicked, this, [this] { gridZoomOutBtnClick(true, false); });
    connect(ui->gridZoomInVerticalyBtn, &QPushButton::clicked, this, [this] { gridZoomInBtnClick(false, true); });
    connect(ui->gridZoomOutVerticalyBtn, &QPushButton::clicked, this, [this] { gridZoomOutBtnClick(false, true); });
    connect(ui->goniometricScaleChb, &QCheckBox::clicked, this, [this] { goniometricScaleChbClick(); });
    // Left shows more of the left: the drawing moves right.
    connect(ui->moveLeftBtn, &QPushButton::clicked, this, [this] { MoveBy(Step(), 0); });
    connect(ui->moveRightBtn, &QPushButton::clicked, this, [this] { MoveBy(-Step(), 0); });
    connect(ui->moveUpDtn, &QPushButton::clicked, this, [this] { MoveBy(0, Step()); });
    connect(ui->moveDownBtn, &QPushButton::clicked, this, [this] { MoveBy(0, -Step()); });
    connect(ui->moveHomeBtn, &QPushButton::clicked, this, [this] { moveHomeBtnClick(); });
    connect(ui->clearBtn, &QPushButton::clicked, this, [this] { clearBtnClick(); });
    connect(ui->copyToClipboardBtn, &QPushButton::clicked, this, [this] { copyToClipboardBtnClick(); });
    connect(ui->saveToFileBtn, &QPushButton::clicked, this, [this] { saveToFileBtnClick(); });

    // Opens beside the calculator, on its screen.
    if (ITandorelMainForm *main = TGUIManager::Instance()->GetMainForm()) {
        SetMainForm(main);
        PlaceNextToMainForm();
    }

    ui->graphImg->installEventFilter(this);
    m_dragTimer.setSingleShot(true);
    connect(&m_dragTimer, &QTimer::timeout, this, [this] { ApplyDrag(); });
}

TFunctionGraphFrm::~TFunctionGraphFrm()
{
    // The graph paints into the pictures: it goes first.
    m_fGraph.reset();
    delete ui;
}

QString TFunctionGraphFrm::StatusText(int panel) const
{
    return panel >= 0 && panel < 3 ? m_panels[panel]->text() : QString();
}

int TFunctionGraphFrm::Step() const
{
    return ui->movingPixelCountUpd->Position();
}

void TFunctionGraphFrm::ShowCaption()
{
    setWindowTitle(CaptionPrefix + u' ' + m_captionExpression);
}

void TFunctionGraphFrm::TranslateTexts()
{
    m_texts.Translate();
    if (TProgramTranslator::Instance()->IsLoaded())
        ShowCaption();
}

void TFunctionGraphFrm::ShowFunction(const QString &expression)
{
    if (m_fGraph->FunctionCount() == 0) {
        m_captionExpression = expression;
        ShowCaption();
    }
    m_fGraph->ResetView();
    m_fGraph->AddFunction(expression);
    ui->goniometricScaleChb->setChecked(m_fGraph->View.Goniometric);
    m_fGraph->Redraw();
    Refresh();
}

void TFunctionGraphFrm::ApplyColours()
{
    // The frame behind the pictures in the button face; the strips' numbers
    // in the window's text colour on its background, both from one palette.
    QPalette face = ui->Shape1->palette();
    face.setColor(QPalette::Window, palette().color(QPalette::Button));
    ui->Shape1->setPalette(face);
    m_fGraph->ScaleBackColor = palette().color(QPalette::Window);
    m_fGraph->ScaleTextColor = palette().color(QPalette::WindowText);
}

void TFunctionGraphFrm::FitControls()
{
    const QFontMetrics metrics(font());
    QStyle *style = this->style();
    const int frame = 2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
    const int height = qMax(ButtonSize.height(), metrics.height() + frame + 4);
    for (QGroupBox *group : {ui->scaleGpb, ui->gridGpb, ui->moveGpb, ui->exportGpb}) {
        for (QPushButton *button : group->findChildren<QPushButton *>()) {
            const int content =
                button->text().isEmpty() ? button->iconSize().width() : metrics.horizontalAdvance(button->text());
            const int margin = style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
            button->setFixedSize(qMax(ButtonSize.width(), content + margin + frame), height);
        }
    }
    ui->movingPixelCountEdt->setFixedSize(qMax(36, metrics.horizontalAdvance(QStringLiteral("200")) + frame + 8),
                                          height);
    ui->movingPixelCountUpd->setFixedSize(17, height);
    ui->clearBtn->setFixedSize(ClearButtonSize.expandedTo(QSize(ButtonSize.width(), height + 8)));
    // The boxes' buttons stand 6 pixels in and 22 down, as designed, or
    // just inside the frame and below the title where these take more.
    for (QGroupBox *group : {ui->scaleGpb, ui->gridGpb, ui->moveGpb, ui->exportGpb}) {
        const QMargins frame = group->contentsMargins();
        group->layout()->setContentsMargins(qMax(0, 6 - frame.left()), qMax(0, 22 - frame.top()),
                                            qMax(0, 5 - frame.right()), qMax(0, 8 - frame.bottom()));
    }
}

// The pictures follow the window's size: the picture is anchored on all
// sides, the strips along it; the controls keep to the bottom, in as many
// rows as the window's width needs, and the window is never made so small
// that any of them is cut off.
void TFunctionGraphFrm::LayOut()
{
    // The strips grow from their designed size where the font needs it: the
    // numbers' height and the corner's "y \ x".
    const QFontMetrics metrics(m_fGraph->ScaleFont);
    const int stripHeight = qMax(HorizontalStripHeight, metrics.height() + 4);
    const int stripWidth =
        qMax(VerticalStripWidth,
             ui->scaleDescriptionLbl->fontMetrics().horizontalAdvance(ui->scaleDescriptionLbl->text()) + 6);
    const int pictureLeft = VerticalStripLeft + stripWidth;
    const int pictureTop = StripTop + stripHeight;
    const int statusHeight = ui->StatusBar1->sizeHint().height();

    QWidget *const controls[] = {ui->clearBtn, ui->scaleGpb, ui->gridGpb, ui->moveGpb, ui->exportGpb};
    QList<QSize> sizes;
    int widest = 0;
    for (QWidget *control : controls) {
        // A box is as large as the design has it, or as its contents need.
        sizes.append(
            control == ui->clearBtn
                ? control->size()
                : control->sizeHint().expandedTo(control->minimumSizeHint()).expandedTo(control->minimumSize()));
        widest = qMax(widest, sizes.last().width());
    }
    QList<QRect> places;
    const int controlsHeight = FlowRows(sizes, width() - ControlsLeft - MarginRight, places);
    const int below = ControlsGap + controlsHeight + 1 + statusHeight;

    const QSize least(qMax(320, ControlsLeft + widest + MarginRight), qMax(240, pictureTop + SmallestPicture + below));
    if (minimumSize() != least)
        setMinimumSize(least); // resizes the window when it is smaller
    const int w = qMax(1, width() - pictureLeft - MarginRight);
    const int h = qMax(1, height() - pictureTop - below);

    ui->Shape1->setGeometry(4, 4, w + pictureLeft - 3, h + pictureTop - 3);
    ui->scaleDescriptionLbl->setGeometry(10, StripTop + 2, stripWidth - 4, stripHeight - 5);
    ui->horizontalScaleImg->setGeometry(pictureLeft - 4, StripTop, w + 4, stripHeight);
    ui->verticalScaleImg->setGeometry(VerticalStripLeft, pictureTop, stripWidth, h);
    ui->graphImg->setGeometry(pictureLeft, pictureTop, w, h);
    const int controlsTop = pictureTop + h + ControlsGap;
    ui->ovladaniePnl->setGeometry(0, controlsTop, width(), controlsHeight);
    int firstRowHeight = ui->clearBtn->height() + 8;
    for (const QRect &place : places)
        if (place.top() == 0)
            firstRowHeight = qMax(firstRowHeight, place.height());
    for (int i = 0; i < int(std::size(controls)); ++i)
        controls[i]->setGeometry(places[i].translated(ControlsLeft, controls[i] == ui->clearBtn ? controlsTop : 0));
    // The clear button stands level with the boxes' buttons beside it.
    ui->clearBtn->move(ui->clearBtn->x(), controlsTop + firstRowHeight - 8 - ui->clearBtn->height());
    ui->StatusBar1->setGeometry(0, height() - statusHeight, width(), statusHeight);

    const qreal ratio = devicePixelRatioF();
    const auto fit = [ratio](QImage &canvas, const QSize &size) {
        if (!IsGraphCanvas(canvas, size, ratio))
            canvas = NewGraphCanvas(size, ratio);
    };
    fit(ui->graphImg->Bitmap, QSize(w, h));
    fit(ui->verticalScaleImg->Bitmap, QSize(stripWidth, h));
    fit(ui->horizontalScaleImg->Bitmap, QSize(w + 4, stripHeight));
    m_fGraph->DevicePixelRatio = ratio;
    m_fGraph->Resize(w, h);
    Refresh();
}

void TFunctionGraphFrm::resizeEvent(QResizeEvent *event)
{
    KTandorelForm::resizeEvent(event);
    if (m_fGraph)
        LayOut();
}

void TFunctionGraphFrm::showEvent(QShowEvent *event)
{
    KTandorelForm::showEvent(event);
    // On a screen of another device pixel ratio the pictures are drawn anew.
    if (QWindow *window = windowHandle(); window && !m_screenWatch)
        m_screenWatch = connect(window, &QWindow::screenChanged, this, [this] { LayOut(); });
    if (!IsGraphCanvas(ui->graphImg->Bitmap, QSize(m_fGraph->View.Width, m_fGraph->View.Height), devicePixelRatioF()))
        LayOut();
}

void TFunctionGraphFrm::changeEvent(QEvent *event)
{
    KTandorelForm::changeEvent(event);
    if (!m_fGraph)
        return;
    if (event->type() == QEvent::PaletteChange) {
        ApplyColours();
        m_fGraph->Redraw();
        Refresh();
    } else if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        m_fGraph->ScaleFont = font();
        FitControls();
        LayOut();
    }
}

void TFunctionGraphFrm::Refresh()
{
    ui->graphImg->update();
    ui->verticalScaleImg->update();
    ui->horizontalScaleImg->update();
    // What lies under the mouse changed with the view; while a drag pans
    // the picture the panels wait for the mouse to be let go.
    if (m_dragging)
        return;
    if (m_mouseOnPicture)
        ShowMousePosition(*m_mouseOnPicture);
    else
        for (int i = 0; i < 3; ++i)
            m_panels[i]->setText(QString::fromLatin1(PanelTexts[i]));
}

void TFunctionGraphFrm::zoomInBtnClick(bool horizontal, bool vertical)
{
    m_fGraph->ZoomIn(horizontal, vertical);
    Refresh();
}

void TFunctionGraphFrm::zoomOutBtnClick(bool horizontal, bool vertical)
{
    m_fGraph->ZoomOut(horizontal, vertical);
    Refresh();
}

void TFunctionGraphFrm::gridZoomInBtnClick(bool horizontal, bool vertical)
{
    m_fGraph->GridZoomIn(horizontal, vertical);
    Refresh();
}

void TFunctionGraphFrm::gridZoomOutBtnClick(bool horizontal, bool vertical)
{
    m_fGraph->GridZoomOut(horizontal, vertical);
    Refresh();
}

void TFunctionGraphFrm::goniometricScaleChbClick()
{
    m_fGraph->SetGoniometric(ui->goniometricScaleChb->isChecked());
    Refresh();
}

void TFunctionGraphFrm::MoveBy(int dx, int dy)
{
    m_fGraph->Move(dx, dy);
    Refresh();
}

void TFunctionGraphFrm::moveHomeBtnClick()
{
    m_fGraph->MoveHome();
    Refresh();
}

void TFunctionGraphFrm::clearBtnClick()
{
    m_fGraph->ClearFunctions();
    m_fGraph->Redraw();
    Refresh();
}

void TFunctionGraphFrm::copyToClipboardBtnClick()
{
    m_fGraph->CopyToClipboard();
}

void TFunctionGraphFrm::saveToFileBtnClick()
{
    if (SaveDialog1->exec() != QDialog::Accepted || SaveDialog1->selectedFiles().isEmpty())
        return;
    const QString file = SaveDialog1->selectedFiles().constFirst();
    QString reason;
    if (m_fGraph->SaveToFile(file, reason))
        return;
    QString text = m_exportFailedText;
    text.replace(QStringLiteral("#1"), file);
    if (!reason.isEmpty())
        text += QStringLiteral("\r\n") + reason;
    KMainProgram::Instance()->ShowMessage(TProgramTranslator::Instance()->Translate(QStringLiteral("Messages"),
                                                                                    QStringLiteral("msgError"),
                                                                                    QStringLiteral("Error")),
                                          text);
}

void TFunctionGraphFrm::graphImgMouseDown(const QPoint &at)
{
    LastMouseX = at.x();
    LastMouseY = at.y();
    m_pendingDx = m_pendingDy = 0;
    m_lastDragFrame.invalidate();
    m_dragging = true;
    m_mouseOnPicture = at;
}

void TFunctionGraphFrm::graphImgMouseMove(const QPoint &at, bool leftButton)
{
    m_mouseOnPicture = at;
    if (leftButton && m_dragging) {
        m_pendingDx += at.x() - LastMouseX;
        m_pendingDy += at.y() - LastMouseY;
        LastMouseX = at.x();
        LastMouseY = at.y();
        if (!m_lastDragFrame.isValid() || m_lastDragFrame.elapsed() >= FrameMilliseconds)
            ApplyDrag();
        else if (!m_dragTimer.isActive())
            m_dragTimer.start(int(FrameMilliseconds - m_lastDragFrame.elapsed()));
        return;
    }
    ShowMousePosition(at);
}

void TFunctionGraphFrm::graphImgMouseUp(const QPoint &at)
{
    m_dragging = false;
    m_mouseOnPicture = at;
    ApplyDrag(); // the last steps of the drag, not a frame later
    Refresh();
}

void TFunctionGraphFrm::ShowMousePosition(const QPoint &at)
{
    const Extended x = m_fGraph->XAtPixel(at.x());
    m_panels[0]->setText(QStringLiteral(" x = ") + FormatFloat(QStringLiteral("0.###"), x));
    m_panels[1]->setText(QStringLiteral(" y = ")
                         + FormatFloat(QStringLiteral("0.###"), m_fGraph->YAtPixel(ui->graphImg->height() - at.y())));
    // Where the first function has no value the panel says so, rather than
    // showing a 0 that the curve does not have.
    QString value = QStringLiteral("--");
    try {
        Extended y = 0;
        if (m_fGraph->FunctionCount() == 0)
            value = FormatFloat(QStringLiteral("0.###"), 0);
        else if (m_fGraph->TryValueAt(x, y))
            value = FormatFloat(QStringLiteral("0.###"), y);
    } catch (...) {
        value = QStringLiteral("--");
    }
    m_panels[2]->setText(QStringLiteral(" f(x) = ") + value);
}

void TFunctionGraphFrm::ApplyDrag()
{
    m_dragTimer.stop();
    m_lastDragFrame.start();
    if (m_pendingDx == 0 && m_pendingDy == 0)
        return;
    const int dx = m_pendingDx, dy = m_pendingDy;
    m_pendingDx = m_pendingDy = 0;
    m_fGraph->Move(dx, dy);
    Refresh();
}

bool TFunctionGraphFrm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->graphImg) {
        switch (event->type()) {
        case QEvent::MouseButtonPress: {
            auto *mouse = static_cast<QMouseEvent *>(event);
            if (mouse->button() == Qt::LeftButton)
                graphImgMouseDown(mouse->position().toPoint());
            break;
        }
        case QEvent::MouseMove: {
            auto *mouse = static_cast<QMouseEvent *>(event);
            graphImgMouseMove(mouse->position().toPoint(), mouse->buttons() & Qt::LeftButton);
            break;
        }
        case QEvent::MouseButtonRelease: {
            auto *mouse = static_cast<QMouseEvent *>(event);
            if (mouse->button() == Qt::LeftButton)
                graphImgMouseUp(mouse->position().toPoint());
            break;
        }
        case QEvent::Leave:
            if (!m_dragging)
                m_mouseOnPicture.reset();
            break;
        default:
            break;
        }
    }
    return KTandorelForm::eventFilter(watched, event);
}
