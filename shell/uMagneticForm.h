#pragma once
// A top-level window that, with its magnet on, opens beside (or centred on)
// the main window and, while it is moved, snaps its edges to the main
// window's outer edges. The arithmetic is kept in pure functions so that it
// can be checked without a window system.
//
// Window positions: a desktop that lets programs place their windows (X11)
// gets the placement and the snapping. A Wayland session does not tell a
// program where its windows are nor lets it move them, so there the window
// opens wherever the compositor puts it and does not snap.
#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QWidget>

class IMagneticSuperiorForm;

// Dock sides of the window registry.
enum : quint8 {
    DockLeft = 0,
    DockRight = 1,
    DockCentred = 2
};

// Modal results, as a modal window reports how it was closed.
enum : int {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrRetry = 4,
    mrIgnore = 5,
    mrYes = 6,
    mrNo = 7
};

// ------------------------------------------------------------ pure arithmetic

// Tries to put a window of width FormWidth at Side (0 left, 1 right) of a
// main window with outer frame Main on a screen ScreenWidth pixels wide.
// Left fits when Main.left() > FormWidth, right when
// Main.left() + Main.width() < ScreenWidth - FormWidth (both strict). On
// success Pos receives the window's new top-left corner. Any other Side fails.
bool MagneticTryPlaceAtSide(int side, const QRect &main, int formWidth, int screenWidth, QPoint &pos);

// Where a window of outer size Form opens for DockSide: at the asked side,
// else the other side, else centred on Main. Centred reports true in
// Centred. Side 2 is always centred.
QPoint MagneticPlacement(int dockSide, const QRect &main, const QSize &form, int screenWidth, bool &centred);

// The top-left corner of a window of outer size Form centred on Main.
QPoint CentreOn(const QRect &main, const QSize &form);

// Pos moved the least so that a window of outer size Form lies inside
// Screen; a window larger than Screen keeps its top-left corner (and so its
// title bar) on it.
QPoint KeptOnScreen(const QPoint &pos, const QSize &form, const QRect &screen);

// A window at Pos with outer size Form can be reached when one of the
// Screens shows a piece of it at least 40 pixels wide and 20 high (all of
// it when it is smaller). A position from a file may be any integer.
bool OnSomeScreen(const QPoint &pos, const QSize &form, const QList<QRect> &screens);

// Where a window of outer size Form opens beside a main window with outer
// frame Main on a screen whose free area is Available: against the main
// window's side with more room (the right one when both have as much), its
// top edge level with the main window's, kept within Available. Where the
// window does not fit beside, it is moved onto Available and covers the main
// window's edge on that side.
QPoint BesidePlacement(const QRect &main, const QSize &form, const QRect &available);

// The snapped top-left corner for a window proposed at Pos with outer size
// Form, against a main window with outer frame Main, within Distance pixels:
// left edge to the main window's right edge, else right edge to its left
// edge; top edge to its bottom edge, else bottom edge to its top edge.
QPoint MagneticSnap(const QPoint &pos, const QSize &form, const QRect &main, int distance);

// ---------------------------------------------------------------- the window

class TMagneticForm : public QWidget
{
    Q_OBJECT

public:
    // A top-level window; closing it only hides it, and it does not keep the
    // program running once the main window has closed.
    explicit TMagneticForm(QWidget *parent = nullptr);
    ~TMagneticForm() override;

    void SetMainForm(IMagneticSuperiorForm *mainForm);
    IMagneticSuperiorForm *GetMainForm() const { return MainForm; }
    void EnableMagnet();
    bool IsMagnetic() const { return Magnetic; }

    static void SetSnapDistance(int value);
    static int GetSnapDistance();

    // Places the window for opening (Side 0 left, 1 right, 2 centred on the
    // main window); the centred position is taken when the window is shown,
    // so that it uses the window's final size.
    void PlaceBesideMainForm(int side);
    // Puts the window at Side of the main window when it fits; false (and
    // nothing moved) when it does not, or without a main window.
    bool TryPlaceAtSide(int side);
    // For a window that opens near the main window without a magnet: it is
    // placed beside the main window (BesidePlacement) when it is shown, so
    // that it uses the window's final size.
    void PlaceNextToMainForm();

    // The window belongs to Owner (the main window), as an owned window: the
    // window manager keeps it above Owner and minimises it with Owner, and
    // Owner stays usable while it is open. Null changes nothing.
    void SetOwner(QWidget *owner);

    // Stay-on-top style; a visible window stays visible across the change.
    void SetStayOnTop(bool flag);
    bool StaysOnTop() const;

    // Shows the window modally (application-modal) and returns its modal
    // result once it is hidden: ModalResult set by SetModalResult, mrCancel
    // when the user just closed it.
    int ShowModal();
    int GetModalResult() const { return m_modalResult; }
    // A non-zero result closes a modal window.
    void SetModalResult(int value);

protected:
    void showEvent(QShowEvent *event) override;
    // Escape closes the window, as it closes a dialog. A control that gives
    // Escape a meaning of its own (an edit in place, an open list, a drag)
    // takes the key first, and only the next one reaches the window.
    void keyPressEvent(QKeyEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    QRect MainFrame() const;
    QPoint CentredOnMainForm() const;
    QRect MainFormScreenArea() const;
    int PrimaryScreenWidth() const;

    bool Magnetic = false;
    IMagneticSuperiorForm *MainForm = nullptr;
    // Where the window goes when it is next shown.
    enum class TOpening : quint8 {
        Kept,
        Centred,
        Beside
    };
    TOpening m_opening = TOpening::Kept;
    bool m_snapping = false;
    int m_modalResult = mrNone;
    bool m_inModal = false;
    class QEventLoop *m_modalLoop = nullptr;

    static int SnapDistance;
};
