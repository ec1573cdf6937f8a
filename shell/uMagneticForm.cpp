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

bool MagneticTryPlaceAtSide(int side, const QRect &main, int formWidth, int screenWidth, QPoint &pos)
{
    const qint64 l = main.left(), t = main.top(), w = main.width();
    if (side == DockLeft) {
        if (l > formWidth) {
            pos = QPoint(Clamped(l - formWidth), Clamped(t));
            return true;
        }
        return false;
    }
    if (side == DockRight) {
        if (l + w < qint64(screenWidth) - formWidth) {
            pos = QPoint(Clamped(l + w), Clamped(t));
            return true;
        }
        return false;
    }
    return false;
}

QPoint CentreOn(const QRect &main, const QSize &form)
{
    return QPoint(Clamped(main.left() + (qint64(main.width()) - form.width()) / 2),
                  Clamped(main.top() + (qint64(main.height()) - form.height()) / 2));
}

QPoint KeptOnScreen(const QPoint &pos, const QSize &form, const QRect &screen)
{
    const auto along = [](qint64 at, qint64 size, qint64 start, qint64 length) {
        return Clamped(qMax(start, qMin(at, start + length - size)));
    };
    return QPoint(along(pos.x(), form.width(), screen.left(), screen.width()),
                  along(pos.y(), form.height(), screen.top(), screen.height()));
}

bool OnSomeScreen(const QPoint &pos, const QSize &form, const QList<QRect> &screens)
{
    // Far beyond every screen, and no overflow when the corner is added up.
    constexpr int far = 1 << 24;
    const QRect window(qBound(-far, pos.x(), far), qBound(-far, pos.y(), far), qBound(1, form.width(), far),
                       qBound(1, form.height(), far));
    for (const QRect &screen : screens) {
        const QRect seen = screen.intersected(window);
        if (seen.width() >= qMin(40, window.width()) && seen.height() >= qMin(20, window.height()))
            return true;
    }
    return false;
}

QPoint MagneticPlacement(int dockSide, const QRect &main, const QSize &form, int screenWidth, bool &centred)
{
    QPoint pos;
    centred = false;
    if (dockSide == DockLeft || dockSide == DockRight) {
        if (MagneticTryPlaceAtSide(dockSide, main, form.width(), screenWidth, pos))
            return pos;
        if (MagneticTryPlaceAtSide(1 - dockSide, main, form.width(), screenWidth, pos))
            return pos;
    }
    centred = true;
    return CentreOn(main, form);
}

QPoint BesidePlacement(const QRect &main, const QSize &form, const QRect &available)
{
    const qint64 mainRight = qint64(main.left()) + main.width();
    const qint64 roomLeft = qint64(main.left()) - available.left();
    const qint64 roomRight = qint64(available.left()) + available.width() - mainRight;
    const qint64 x = roomRight >= roomLeft ? mainRight : qint64(main.left()) - form.width();
    return KeptOnScreen(QPoint(Clamped(x), main.top()), form, available);
}

QPoint MagneticSnap(const QPoint &pos, const QSize &form, const QRect &main, int distance)
{
    const qint64 l = main.left(), t = main.top();
    const qint64 r = l + main.width(), b = t + main.height();
    const qint64 d = distance;
    qint64 x = pos.x(), y = pos.y();
    const qint64 cx = form.width(), cy = form.height();
    if (r - d <= x && x <= r + d)
        x = r;
    else if (l - d <= x + cx && x + cx <= l + d)
        x = l - cx;
    if (b - d <= y && y <= b + d)
        y = b;
    else if (t - d <= y + cy && y + cy <= t + d)
        y = t - cy;
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
    if (m_modalLoop)
        m_modalLoop->quit();
}

void TMagneticForm::SetMainForm(IMagneticSuperiorForm *value)
{
    MainForm = value;
}

void TMagneticForm::EnableMagnet()
{
    Magnetic = true;
}

void TMagneticForm::SetSnapDistance(int value)
{
    SnapDistance = value;
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
    constexpr int far = 1 << 24;
    return QRect(qBound(-far, MainForm->GetLeft(), far), qBound(-far, MainForm->GetTop(), far),
                 qBound(0, MainForm->GetWidth(), far), qBound(0, MainForm->GetHeight(), far));
}

int TMagneticForm::PrimaryScreenWidth() const
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().width() : 0;
}

void TMagneticForm::PlaceBesideMainForm(int side)
{
    m_opening = TOpening::Kept;
    if (side != DockCentred && (TryPlaceAtSide(side) || TryPlaceAtSide(side == DockLeft ? DockRight : DockLeft)))
        return;
    m_opening = TOpening::Centred;
    if (MainForm)
        move(CentredOnMainForm());
}

void TMagneticForm::PlaceNextToMainForm()
{
    m_opening = TOpening::Beside;
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

void TMagneticForm::SetOwner(QWidget *owner)
{
    if (!owner || owner == parentWidget())
        return;
    // An X11 window manager keeps a window above another one only when it is
    // transient for it, and Qt marks only its dialog and tool windows so.
    Qt::WindowFlags flags = windowFlags();
    if ((flags & Qt::WindowType_Mask) == Qt::Window)
        flags = (flags & ~Qt::WindowType_Mask) | Qt::Dialog;
    setParent(owner, flags);
}

bool TMagneticForm::TryPlaceAtSide(int side)
{
    if (!MainForm)
        return false;
    QPoint pos;
    if (!MagneticTryPlaceAtSide(side, MainFrame(), frameGeometry().width(), PrimaryScreenWidth(), pos))
        return false;
    move(pos);
    return true;
}

void TMagneticForm::SetStayOnTop(bool flag)
{
    SetWindowStaysOnTop(this, flag);
}

bool TMagneticForm::StaysOnTop() const
{
    return windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

int TMagneticForm::ShowModal()
{
    if (m_inModal)
        return mrNone;
    if (isVisible())
        hide();
    m_modalResult = mrNone;
    setWindowModality(Qt::ApplicationModal);
    m_inModal = true;
    QEventLoop loop;
    m_modalLoop = &loop;
    show();
    raise();
    activateWindow();
    if (isVisible())
        loop.exec(QEventLoop::DialogExec);
    m_modalLoop = nullptr;
    m_inModal = false;
    setWindowModality(Qt::NonModal);
    if (m_modalResult == mrNone)
        m_modalResult = mrCancel;
    return m_modalResult;
}

void TMagneticForm::SetModalResult(int value)
{
    m_modalResult = value;
    if (value != mrNone && m_inModal)
        hide();
}

void TMagneticForm::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_opening == TOpening::Kept || !MainForm || event->spontaneous())
        return;
    if (m_opening == TOpening::Centred) {
        move(CentredOnMainForm());
    } else if (const QRect area = MainFormScreenArea(); area.isValid()) {
        move(BesidePlacement(MainFrame(), frameGeometry().size(), area));
    }
    m_opening = TOpening::Kept;
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
    if (!Magnetic || !MainForm || m_snapping || !PositionsAreOurs())
        return;
    // The move has already happened here; a snap moves the window once more.
    const QPoint snapped = MagneticSnap(pos(), frameGeometry().size(), MainFrame(), SnapDistance);
    if (snapped != pos()) {
        m_snapping = true;
        move(snapped);
        m_snapping = false;
    }
}

void TMagneticForm::closeEvent(QCloseEvent *event)
{
    if (m_inModal && m_modalResult == mrNone)
        m_modalResult = mrCancel;
    event->accept();
}

void TMagneticForm::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    if (m_modalLoop && !isVisible())
        m_modalLoop->quit();
}
