#pragma once
// The function graph window: the curves of every expression handed over by
// the controller, with zoom, grid, pan and home controls, the labelling in
// multiples of pi, the mouse position in world coordinates with the first
// function's value there, panning by dragging, and export of the drawing to
// the clipboard or a bitmap file.
#include "shell/uTandorelForm.h"
#include "shell/uTranslationTable.h"
#include "tools/model/uFunctionGraph.h"

#include <QElapsedTimer>
#include <QImage>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <memory>
#include <optional>

class QFileDialog;
class QLabel;
namespace Ui {
class TFunctionGraphFrm;
}

// One of the window's three pictures: shows the bitmap the graph paints.
class TGraphImage : public QWidget
{
public:
    explicit TGraphImage(QWidget *parent = nullptr);

    QImage Bitmap;

protected:
    void paintEvent(QPaintEvent *event) override;
};

class TFunctionGraphFrm : public KTandorelForm, public IFunctionGraphHandOver
{
public:
    explicit TFunctionGraphFrm(QWidget *parent = nullptr);
    ~TFunctionGraphFrm() override;

    // Plots Expression as one more curve (the view is reset first); the
    // caption names the first expression since the window was created or
    // cleared.
    void ShowFunction(const QString &expression) override;
    void TranslateTexts() override;

    TFunctionGraph *Graph() const { return m_fGraph.get(); }
    // The status bar's panels: 0 x, 1 y, 2 f(x).
    QString StatusText(int panel) const;
    // The dialog that chooses the export file.
    QFileDialog *SaveDialog() const { return SaveDialog1; }

    // The caption's prefix, "Graph of function y = " in English.
    QString CaptionPrefix;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The strips' and the frame's colours from the palette.
    void ApplyColours();
    // The buttons' sizes for the font.
    void FitControls();
    void LayOut();
    // The pictures repainted and the status bar brought up to date.
    void Refresh();
    void ShowMousePosition(const QPoint &at);
    void ShowCaption();
    int Step() const;

    void zoomInBtnClick(bool horizontal, bool vertical);
    void zoomOutBtnClick(bool horizontal, bool vertical);
    void gridZoomInBtnClick(bool horizontal, bool vertical);
    void gridZoomOutBtnClick(bool horizontal, bool vertical);
    void goniometricScaleChbClick();
    void MoveBy(int dx, int dy);
    void moveHomeBtnClick();
    void clearBtnClick();
    void copyToClipboardBtnClick();
    void saveToFileBtnClick();
    void graphImgMouseDown(const QPoint &at);
    void graphImgMouseMove(const QPoint &at, bool leftButton);
    void graphImgMouseUp(const QPoint &at);
    // Applies the drag steps gathered since the last frame.
    void ApplyDrag();

    Ui::TFunctionGraphFrm *ui;
    std::unique_ptr<TFunctionGraph> m_fGraph;
    TTranslationTable m_texts;
    QLabel *m_panels[3] = {nullptr, nullptr, nullptr};
    QFileDialog *SaveDialog1 = nullptr;
    // The expression the caption names ("x" before the first one).
    QString m_captionExpression = QStringLiteral("x");
    QString m_exportFailedText;

    int LastMouseX = 0;
    int LastMouseY = 0;
    // The left button went down on the picture and is still held.
    bool m_dragging = false;
    // Where the mouse last was on the picture, while it is there.
    std::optional<QPoint> m_mouseOnPicture;
    QMetaObject::Connection m_screenWatch;
    // Dragging repaints at most once a frame: the steps in between are
    // summed up here and applied when the frame's time has passed.
    int m_pendingDx = 0;
    int m_pendingDy = 0;
    QElapsedTimer m_lastDragFrame;
    QTimer m_dragTimer;
};
