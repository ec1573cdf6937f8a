#include "tools/fFunctionGraph.h"
#include "ui_fFunctionGraph.h"

#include "shell/uGUIManager.h"
#include "shell/uMainProgram.h"
#include "shell/uProgramTranslator.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>

namespace {

// Frames of a drag: about sixty a second.
constexpr int FrameMilliseconds = 16;

// The picture is the window's client area less these margins.
constexpr int PictureLeft = 52;
constexpr int PictureTop = 30;
constexpr int MarginRight = 774 - 52 - 715;
constexpr int MarginBottom = 427 - 30 - 313;

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
      ExportFailedText(QStringLiteral("Unable to save the picture to #1."))
{
    ui->setupUi(this);
    resize(774, 427);

    QPalette face = ui->Shape1->palette();
    face.setColor(QPalette::Window, palette().color(QPalette::Button));
    ui->Shape1->setPalette(face);

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

    const char *const panelTexts[3] = {"x =", "y =", "f(x) ="};
    const int panelWidths[3] = {100, 100, 50};
    for (int i = 0; i < 3; ++i) {
        Panels[i] = new QLabel(QString::fromLatin1(panelTexts[i]), ui->StatusBar1);
        Panels[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        Panels[i]->setMinimumWidth(panelWidths[i]);
        ui->StatusBar1->addWidget(Panels[i], i == 2 ? 1 : 0);
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

    FGraph = std::make_unique<TFunctionGraph>(&ui->graphImg->Bitmap, ui->graphImg->width(), ui->graphImg->height(),
                                              &ui->verticalScaleImg->Bitmap, &ui->horizontalScaleImg->Bitmap);
    FGraph->ScaleBackColor = palette().color(QPalette::Window);
    FGraph->ScaleFont = font();
    FGraph->Beep = [] { QApplication::beep(); };
    LayOut();

    Texts.Field(&CaptionPrefix, "FunctionGraph", "GraphOfFunction", QStringLiteral("Graph of function y = "))
        .Field(&ExportFailedText, "FunctionGraph", "ExportFailed", QStringLiteral("Unable to save the picture to #1."))
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
    DragTimer.setSingleShot(true);
    connect(&DragTimer, &QTimer::timeout, this, [this] { ApplyDrag(); });
}

TFunctionGraphFrm::~TFunctionGraphFrm()
{
    // The graph paints into the pictures: it goes first.
    FGraph.reset();
    delete ui;
}

QString TFunctionGraphFrm::StatusText(int Panel) const
{
    return Panel >= 0 && Panel < 3 ? Panels[Panel]->text() : QString();
}

int TFunctionGraphFrm::Step() const
{
    return ui->movingPixelCountUpd->Position();
}

void TFunctionGraphFrm::ShowCaption()
{
    setWindowTitle(CaptionPrefix + u' ' + CaptionExpression);
}

void TFunctionGraphFrm::TranslateTexts()
{
    Texts.Translate();
    if (TProgramTranslator::Instance()->IsLoaded())
        ShowCaption();
}

void TFunctionGraphFrm::ShowFunction(const QString &Expression)
{
    if (FGraph->FunctionCount() == 0) {
        CaptionExpression = Expression;
        ShowCaption();
    }
    FGraph->ResetView();
    FGraph->AddFunction(Expression);
    ui->goniometricScaleChb->setChecked(FGraph->View.Goniometric);
    FGraph->Redraw();
    RefreshImages();
}

// The pictures follow the window's size: the picture is anchored on all
// sides, the strips along it, the controls to the bottom.
void TFunctionGraphFrm::LayOut()
{
    const int w = qMax(1, width() - PictureLeft - MarginRight);
    const int h = qMax(1, height() - PictureTop - MarginBottom);
    ui->Shape1->setGeometry(4, 4, w + 49, h + 27);
    ui->horizontalScaleImg->setGeometry(PictureLeft - 4, 9, w + 4, 21);
    ui->verticalScaleImg->setGeometry(12, PictureTop, 40, h);
    ui->graphImg->setGeometry(PictureLeft, PictureTop, w, h);
    ui->ovladaniePnl->move(ui->ovladaniePnl->x(), height() - 72);
    ui->clearBtn->move(ui->clearBtn->x(), height() - 58);
    ui->StatusBar1->setGeometry(0, height() - 19, width(), 19);

    QImage &picture = ui->graphImg->Bitmap;
    if (picture.size() != QSize(w, h))
        picture = QImage(w, h, QImage::Format_RGB32);
    QImage &vertical = ui->verticalScaleImg->Bitmap;
    if (vertical.size() != QSize(40, h))
        vertical = QImage(40, h, QImage::Format_RGB32);
    QImage &horizontal = ui->horizontalScaleImg->Bitmap;
    if (horizontal.size() != QSize(w + 4, 21))
        horizontal = QImage(w + 4, 21, QImage::Format_RGB32);
    FGraph->Resize(w, h);
    RefreshImages();
}

void TFunctionGraphFrm::resizeEvent(QResizeEvent *event)
{
    KTandorelForm::resizeEvent(event);
    if (FGraph)
        LayOut();
}

void TFunctionGraphFrm::RefreshImages()
{
    ui->graphImg->update();
    ui->verticalScaleImg->update();
    ui->horizontalScaleImg->update();
}

void TFunctionGraphFrm::zoomInBtnClick(bool Horizontal, bool Vertical)
{
    FGraph->ZoomIn(Horizontal, Vertical);
    RefreshImages();
}

void TFunctionGraphFrm::zoomOutBtnClick(bool Horizontal, bool Vertical)
{
    FGraph->ZoomOut(Horizontal, Vertical);
    RefreshImages();
}

void TFunctionGraphFrm::gridZoomInBtnClick(bool Horizontal, bool Vertical)
{
    FGraph->GridZoomIn(Horizontal, Vertical);
    RefreshImages();
}

void TFunctionGraphFrm::gridZoomOutBtnClick(bool Horizontal, bool Vertical)
{
    FGraph->GridZoomOut(Horizontal, Vertical);
    RefreshImages();
}

void TFunctionGraphFrm::goniometricScaleChbClick()
{
    FGraph->SetGoniometric(ui->goniometricScaleChb->isChecked());
    RefreshImages();
}

void TFunctionGraphFrm::MoveBy(int Dx, int Dy)
{
    FGraph->Move(Dx, Dy);
    RefreshImages();
}

void TFunctionGraphFrm::moveHomeBtnClick()
{
    FGraph->MoveHome();
    RefreshImages();
}

void TFunctionGraphFrm::clearBtnClick()
{
    FGraph->ClearFunctions();
    FGraph->Redraw();
    RefreshImages();
}

void TFunctionGraphFrm::copyToClipboardBtnClick()
{
    FGraph->CopyToClipboard();
}

void TFunctionGraphFrm::saveToFileBtnClick()
{
    if (SaveDialog1->exec() != QDialog::Accepted || SaveDialog1->selectedFiles().isEmpty())
        return;
    const QString file = SaveDialog1->selectedFiles().constFirst();
    QString reason;
    if (FGraph->SaveToFile(file, reason))
        return;
    QString text = ExportFailedText;
    text.replace(QStringLiteral("#1"), file);
    if (!reason.isEmpty())
        text += QStringLiteral("\r\n") + reason;
    KMainProgram::Instance()->ShowMessage(TProgramTranslator::Instance()->Translate(QStringLiteral("Messages"),
                                                                                    QStringLiteral("msgError"),
                                                                                    QStringLiteral("Error")),
                                          text);
}

void TFunctionGraphFrm::graphImgMouseDown(const QPoint &At)
{
    LastMouseX = At.x();
    LastMouseY = At.y();
    PendingDx = PendingDy = 0;
    LastDragFrame.invalidate();
}

void TFunctionGraphFrm::graphImgMouseMove(const QPoint &At, bool Dragging)
{
    if (Dragging) {
        PendingDx += At.x() - LastMouseX;
        PendingDy += At.y() - LastMouseY;
        LastMouseX = At.x();
        LastMouseY = At.y();
        if (!LastDragFrame.isValid() || LastDragFrame.elapsed() >= FrameMilliseconds)
            ApplyDrag();
        else if (!DragTimer.isActive())
            DragTimer.start(int(FrameMilliseconds - LastDragFrame.elapsed()));
        return;
    }
    const Extended x = FGraph->XAtPixel(At.x());
    Panels[0]->setText(QStringLiteral(" x = ") + FormatFloat(QStringLiteral("0.###"), x));
    Panels[1]->setText(QStringLiteral(" y = ")
                       + FormatFloat(QStringLiteral("0.###"), FGraph->YAtPixel(ui->graphImg->height() - At.y())));
    // Where the first function has no value the panel says so, rather than
    // showing a 0 that the curve does not have.
    QString value = QStringLiteral("--");
    try {
        Extended y = 0;
        if (FGraph->FunctionCount() == 0)
            value = FormatFloat(QStringLiteral("0.###"), 0);
        else if (FGraph->TryValueAt(x, y))
            value = FormatFloat(QStringLiteral("0.###"), y);
    } catch (...) {
        value = QStringLiteral("--");
    }
    Panels[2]->setText(QStringLiteral(" f(x) = ") + value);
}

void TFunctionGraphFrm::ApplyDrag()
{
    DragTimer.stop();
    LastDragFrame.start();
    if (PendingDx == 0 && PendingDy == 0)
        return;
    const int dx = PendingDx, dy = PendingDy;
    PendingDx = PendingDy = 0;
    FGraph->Move(dx, dy);
    RefreshImages();
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
        case QEvent::MouseButtonRelease:
            if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
                ApplyDrag(); // the last steps of the drag, not a frame later
            break;
        default:
            break;
        }
    }
    return KTandorelForm::eventFilter(watched, event);
}
