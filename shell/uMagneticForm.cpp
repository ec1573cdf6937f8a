#include "shell/uMagneticForm.h"

#include "shell/uShellCommon.h"
#include "shell/uTandorelMainForm.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMoveEvent>
#include <QScreen>
#include <QShowEvent>

#include <algorithm>
#include <limits>

int TMagneticForm::SnapDistance = 5;

// ------------------------------------------------------------ pure arithmetic

namespace {

// Window coordinates come from the window system and from hand-edited
// settings: the sums below are taken in 64 bits and brought back into range.
int Clamped(qint64 v)
{
    return int(std::clamp<qint64>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

} // namespace

bool MagneticTryPlaceAtSide(int Side, const QRect &Main, int FormWidth, int ScreenWidth, QPoint &Pos)
{
    const qint64 L = Main.left(), T = Main.top(), W = Main.width();
    if (Side == DockLeft) {
        if (L > FormWidth) {
            Pos = QPoint(Clamped(L - FormWidth), Clamped(T));
            return true;
        }
        return false;
    }
    if (Side == DockRight) {
        if (L + W < qint64(ScreenWidth) - FormWidth) {
            Pos = QPoint(Clamped(L + W), Clamped(T));
            return true;
        }
        return false;
    }
    return false;
}

QPoint CentreOn(const QRect &Main, const QSize &Form)
{
    return QPoint(Clamped(Main.left() + (qint64(Main.width()) - Form.width()) / 2),
                  Clamped(Main.top() + (qint64(Main.height()) - Form.height()) / 2));
}

QPoint KeptOnScreen(const QPoint &Pos, const QSize &Form, const QRect &Screen)
{
    const auto along = [](qint64 At, qint64 Size, qint64 Start, qint64 Length) {
        return Clamped(qMax(Start, qMin(At, Start + Length - Size)));
    };
    return QPoint(along(Pos.x(), Form.width(), Screen.left(), Screen.width()),
                  along(Pos.y(), Form.height(), Screen.top(), Screen.height()));
}

bool OnSomeScreen(const QPoint &Pos, const QSize &Form, const QList<QRect> &Screens)
{
    // Far beyond every screen, and no overflow when the corner is added up.
    constexpr int Far = 1 << 24;
    const QRect window(qBound(-Far, Pos.x(), Far), qBound(-Far, Pos.y(), Far), qBound(1, Form.width(), Far),
                       qBound(1, Form.height(), Far));
    for (const QRect &screen : Screens) {
        const QRect seen = screen.intersected(window);
        if (seen.width() >= qMin(40, window.width()) && seen.height() >= qMin(20, window.height()))
            return true;
    }
    return false;
}

QPoint MagneticPlacement(int DockSide, const QRect &Main, const QSize &Form, int ScreenWidth, bool &Centred)
{
    QPoint pos;
    Centred = false;
    if (DockSide == DockLeft || DockSide == DockRight) {
        if (MagneticTryPlaceAtSide(DockSide, Main, Form.width(), ScreenWidth, pos))
            return pos;
        if (MagneticTryPlaceAtSide(1 - DockSide, Main, Form.width(), ScreenWidth, pos))
            return pos;
    }
    Centred = true;
    return CentreOn(Main, Form);
}

QPoint BesidePlacement(const QRect &Main, const QSize &Form, const QRect &Available)
{
    const qint64 mainRight = qint64(Main.left()) + Main.width();
    const qint64 roomLeft = qint64(Main.left()) - Available.left();
    const qint64 roomRight = qint64(Available.left()) + Available.width() - mainRight;
    const qint64 x = roomRight >= roomLeft ? mainRight : qint64(Main.left()) - Form.width();
    return KeptOnScreen(QPoint(Clamped(x), Main.top()), Form, Available);
}

QPoint MagneticSnap(const QPoint &Pos, const QSize &Form, const QRect &Main, int Distance)
{
    const qint64 L = Main.left(), T = Main.top();
    const qint64 R = L + Main.width(), B = T + Main.height();
    const qint64 D = Distance;
    qint64 x = Pos.x(), y = Pos.y();
    const qint64 cx = Form.width(), cy = Form.height();
    if (R - D <= x && x <= R + D)
        x = R;
    else if (L - D <= x + cx && x + cx <= L + D)
        x = L - cx;
    if (B - D <= y && y <= B + D)
        y = B;
    else if (T - D <= y + cy && y + cy <= T + D)
        y = T - cy;
    return QPoint(Clamped(x), Clamped(y));
}

// ---------------------------------------------------------------- the window

namespace {
// A Wayland compositor neither reports nor accepts window positions.
bool PositionsAreOurs()
{
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}
} // namespace

TMagneticForm::TMagneticForm(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setAttribute(Qt::WA_QuitOnClose, false);
}

TMagneticForm::~TMagneticForm()
{
    if (ModalLoop)
        ModalLoop->quit();
}

void TMagneticForm::SetMainForm(IMagneticSuperiorForm *Value)
{
    MainForm = Value;
}

void TMagneticForm::EnableMagnet()
{
    Magnetic = true;
}

void TMagneticForm::SetSnapDistance(int Value)
{
    SnapDistance = Value;
}

int TMagneticForm::GetSnapDistance()
{
    return SnapDistance;
}

QRect TMagneticForm::MainFrame() const
{
    if (!MainForm)
        return QRect();
    // Far beyond every screen, and no overflow when the corner is added up.
    constexpr int Far = 1 << 24;
    return QRect(qBound(-Far, MainForm->GetLeft(), Far), qBound(-Far, MainForm->GetTop(), Far),
                 qBound(0, MainForm->GetWidth(), Far), qBound(0, MainForm->GetHeight(), Far));
}

int TMagneticForm::PrimaryScreenWidth() const
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().width() : 0;
}

void TMagneticForm::PlaceBesideMainForm(int Side)
{
    Opening = TOpening::Kept;
    if (Side != DockCentred && (TryPlaceAtSide(Side) || TryPlaceAtSide(Side == DockLeft ? DockRight : DockLeft)))
        return;
    Opening = TOpening::Centred;
    if (MainForm)
        move(CentredOnMainForm());
}

void TMagneticForm::PlaceNextToMainForm()
{
    Opening = TOpening::Beside;
}

QRect TMagneticForm::MainFormScreenArea() const
{
    const QScreen *screen = QGuiApplication::screenAt(MainFrame().center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

QPoint TMagneticForm::CentredOnMainForm() const
{
    // A main window near a screen edge would push a taller or wider window
    // off the screen, its title bar out of reach.
    const QPoint centred = CentreOn(MainFrame(), frameGeometry().size());
    const QRect area = MainFormScreenArea();
    return area.isValid() ? KeptOnScreen(centred, frameGeometry().size(), area) : centred;
}

void TMagneticForm::SetOwner(QWidget *Owner)
{
    if (!Owner || Owner == parentWidget())
        return;
    // An X11 window manager keeps a window above another one only when it is
    // transient for it, and Qt marks only its dialog and tool windows so.
    Qt::WindowFlags flags = windowFlags();
    if ((flags & Qt::WindowType_Mask) == Qt::Window)
        flags = (flags & ~Qt::WindowType_Mask) | Qt::Dialog;
    setParent(Owner, flags);
}

bool TMagneticForm::TryPlaceAtSide(int Side)
{
    if (!MainForm)
        return false;
    QPoint pos;
    if (!MagneticTryPlaceAtSide(Side, MainFrame(), frameGeometry().width(), PrimaryScreenWidth(), pos))
        return false;
    move(pos);
    return true;
}

void TMagneticForm::SetStayOnTop(bool Flag)
{
    SetWindowStaysOnTop(this, Flag);
}

bool TMagneticForm::StaysOnTop() const
{
    return windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

int TMagneticForm::ShowModal()
{
    if (InModal)
        return mrNone;
    if (isVisible())
        hide();
    ModalResult = mrNone;
    setWindowModality(Qt::ApplicationModal);
    InModal = true;
    QEventLoop loop;
    ModalLoop = &loop;
    show();
    raise();
    activateWindow();
    if (isVisible())
        loop.exec(QEventLoop::DialogExec);
    ModalLoop = nullptr;
    InModal = false;
    setWindowModality(Qt::NonModal);
    if (ModalResult == mrNone)
        ModalResult = mrCancel;
    return ModalResult;
}

void TMagneticForm::SetModalResult(int Value)
{
    ModalResult = Value;
    if (Value != mrNone && InModal)
        hide();
}

void TMagneticForm::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (Opening == TOpening::Kept || !MainForm || event->spontaneous())
        return;
    if (Opening == TOpening::Centred) {
        move(CentredOnMainForm());
    } else if (const QRect area = MainFormScreenArea(); area.isValid()) {
        move(BesidePlacement(MainFrame(), frameGeometry().size(), area));
    }
    Opening = TOpening::Kept;
}

void TMagneticForm::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        close();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TMagneticForm::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    if (!Magnetic || !MainForm || Snapping || !PositionsAreOurs())
        return;
    // The move has already happened here; a snap moves the window once more.
    const QPoint snapped = MagneticSnap(pos(), frameGeometry().size(), MainFrame(), SnapDistance);
    if (snapped != pos()) {
        Snapping = true;
        move(snapped);
        Snapping = false;
    }
}

void TMagneticForm::closeEvent(QCloseEvent *event)
{
    if (InModal && ModalResult == mrNone)
        ModalResult = mrCancel;
    event->accept();
}

void TMagneticForm::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    if (ModalLoop && !isVisible())
        ModalLoop->quit();
}
