// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "Windows.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFile>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTabBar>
#include <QUiLoader>

#include "Controls.h"
#include "Events.h"
#include "InterfaceResources.h"
#include "ObjectClass.h"
#include "Registry.h"

struct NibReference {
    QString folder;
};

namespace {

const char* const kCommandProperty = "command";

QPointer<QMenuBar> gMenuBar;
// The main window; the other windows are its dialogs.
QPointer<QMainWindow> gMainWindow;

// Creates the registered custom control classes by their .ui class name.
class ToolboxUiLoader : public QUiLoader {
  public:
    QWidget* createWidget(const QString& className, QWidget* parent, const QString& name) override {
        const std::string cls = className.toStdString();
        if (className == QLatin1String("QTabBar")) {
            auto* tabs = new QTabBar(parent);
            tabs->setObjectName(name);
            return tabs;
        }
        if (IsToolboxObjectClassRegistered(cls) || !availableWidgets().contains(className)) {
            auto* w = new CustomControl(cls, parent);
            w->setObjectName(name);
            return w;
        }
        return QUiLoader::createWidget(className, parent, name);
    }
};

// What Designer cannot say about a bare tab bar or a control that starts
// hidden travels in dynamic properties.
void ApplyFormProperties(QWidget* form) {
    QList<QWidget*> widgets = form->findChildren<QWidget*>();
    widgets.prepend(form);
    for (QWidget* w : widgets) {
        if (auto* tabs = qobject_cast<QTabBar*>(w)) {
            const QSignalBlocker block(tabs);
            // In the form's translation context, as the loader translates the rest.
            for (const QString& title : tabs->property("tabTitles").toStringList())
                tabs->addTab(QCoreApplication::translate(form->objectName().toUtf8().constData(),
                                                         title.toUtf8().constData()));
            tabs->setCurrentIndex(0);
        }
        if (w->property("startHidden").toBool()) w->setVisible(false);
    }
}

QWidget* LoadForm(const QString& path) {
    QFile file(path);
    if (!file.open(QFile::ReadOnly)) return nullptr;
    // Our forms use no Designer plugins. The loader looks for them as it is
    // made, under the library paths, and would load Qt Quick and its network
    // stack: a good part of the start-up time. So it is made without them.
    const QStringList libraryPaths = QCoreApplication::libraryPaths();
    QCoreApplication::setLibraryPaths({});
    ToolboxUiLoader loader;
    QCoreApplication::setLibraryPaths(libraryPaths);
    loader.clearPluginPaths();
    QWidget* form = loader.load(&file, nullptr);
    if (form) ApplyFormProperties(form);
    return form;
}

OSType CommandOf(const QObject* object) {
    const QVariant v = object->property(kCommandProperty);
    return v.isValid() ? FourCharCodeFromText(v.toString().toStdString()) : 0;
}

void SendControlEvent(QWidget* control, UInt32 kind) {
    ToolboxEvent event;
    event.eventClass = kEventClassControl;
    event.eventKind = kind;
    event.control = control;
    SendEventToEventTarget(&event, GetControlEventTarget(control));
}

QPushButton* ButtonSending(QWidget* window, OSType command) {
    for (QPushButton* button : window->findChildren<QPushButton*>())
        if (CommandOf(button) == command && button->isEnabled()) return button;
    return nullptr;
}

// A dialog's keys as on the desktop: Escape is Cancel (or Close), or the
// close box where there is neither; Enter presses the focused button, else OK.
bool HandleDialogKey(QWidget* window, QObject* focus, const QKeyEvent* key) {
    if ((key->modifiers() & ~Qt::KeyboardModifiers(Qt::KeypadModifier)) != Qt::NoModifier)
        return false;
    if (key->key() == Qt::Key_Escape) {
        QPushButton* cancel = ButtonSending(window, kHICommandCancel);
        if (!cancel) cancel = ButtonSending(window, kHICommandClose);
        if (cancel)
            cancel->click();
        else
            window->close();
        return true;
    }
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) return false;
    auto* button = qobject_cast<QPushButton*>(focus);
    if (!button) button = ButtonSending(window, kHICommandOK);
    if (!button) return false;
    button->click();
    return true;
}

// The virtual key code of an arrow key, 0 for any other key.
UInt32 ArrowKeyCode(const QKeyEvent* key) {
    if ((key->modifiers() & ~Qt::KeyboardModifiers(Qt::KeypadModifier)) != Qt::NoModifier) return 0;
    switch (key->key()) {
    case Qt::Key_Left:
        return kVK_LeftArrow;
    case Qt::Key_Right:
        return kVK_RightArrow;
    case Qt::Key_Up:
        return kVK_UpArrow;
    case Qt::Key_Down:
        return kVK_DownArrow;
    default:
        return 0;
    }
}

// Window close, mouse-down, the arrow keys on a custom control and a dialog's
// keys become toolbox events of the window.
class WindowEventFilter : public QObject {
  public:
    explicit WindowEventFilter(QWidget* window)
        : QObject(window), window_(window), dialog_(!qobject_cast<QMainWindow*>(window)) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        // A custom control moves within itself by the arrow keys, as its
        // window's handlers say; a key they take goes no further.
        if (event->type() == QEvent::KeyPress && dynamic_cast<CustomControl*>(watched)) {
            ToolboxEvent key;
            key.eventClass = kEventClassKeyboard;
            key.eventKind = kEventRawKeyDown;
            key.control = static_cast<CustomControl*>(watched);
            key.hasKey = true;
            key.keyCode = ArrowKeyCode(static_cast<QKeyEvent*>(event));
            if (key.keyCode && SendEventToEventTarget(&key, GetWindowEventTarget(window_)) == noErr)
                return true;
        }
        // The focused control sees a key first; a key acted on goes no further.
        if (event->type() == QEvent::KeyPress && dialog_)
            return HandleDialogKey(window_, watched, static_cast<QKeyEvent*>(event));
        if (event->type() == QEvent::Close && watched == window_) {
            WindowInfo* info = FindWindowInfo(window_);
            if (!info || info->disposed) return false;
            event->ignore();
            ToolboxEvent close;
            close.eventClass = kEventClassWindow;
            close.eventKind = kEventWindowClose;
            close.window = window_;
            SendEventToEventTarget(&close, GetWindowEventTarget(window_));
            return true;
        }
        if (event->type() == QEvent::MouseButtonPress) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            // A press travels up the parents as the same event: count it once.
            if (mouse == lastPress_ && mouse->timestamp() == lastStamp_) return false;
            lastPress_ = mouse;
            lastStamp_ = mouse->timestamp();
            auto* widget = static_cast<QWidget*>(watched);
            const QPoint p = widget->mapTo(window_, mouse->position().toPoint());
            ToolboxEvent down;
            down.eventClass = kEventClassMouse;
            down.eventKind = kEventMouseDown;
            down.window = window_;
            down.hasMouse = true;
            down.mouse = Point{static_cast<short>(p.y()), static_cast<short>(p.x())};
            SendEventToEventTarget(&down, GetWindowEventTarget(window_));
        }
        return false;
    }

  private:
    QWidget* window_;
    bool dialog_;
    const QMouseEvent* lastPress_ = nullptr;
    quint64 lastStamp_ = 0;
};

void WireAction(QAction* action) {
    const OSType command = CommandOf(action);
    if (!command || action->property("toolboxWired").toBool()) return;
    action->setProperty("toolboxWired", true);
    QObject::connect(action, &QAction::triggered,
                     [command] { ProcessHICommand(command, nullptr); });
}

void WireWindow(QWidget* window, WindowInfo& info) {
    auto* filter = new WindowEventFilter(window);
    window->installEventFilter(filter);
    for (QWidget* child : window->findChildren<QWidget*>()) {
        // Pop-up menus are windows of their own.
        if (child->window() == window) child->installEventFilter(filter);
        ControlID id;
        if (ParseControlName(child->objectName(), &id))
            info.controls.insert(ControlKey(id.signature, id.id), child);
        const OSType command = CommandOf(child);
        if (auto* button = qobject_cast<QPushButton*>(child)) {
            QPointer<QWidget> w(window);
            if (command)
                QObject::connect(button, &QPushButton::clicked, [w, command] {
                    if (w) ProcessHICommand(command, w);
                });
        } else if (auto* combo = qobject_cast<QComboBox*>(child)) {
            QObject::connect(combo, &QComboBox::activated, [combo, command](int) {
                QPointer<QWidget> window = combo->window();
                SendControlEvent(combo, kEventControlClick);
                if (command && window && IsValidWindowPtr(window))
                    ProcessHICommand(command, window);
            });
        } else if (auto* box = qobject_cast<QCheckBox*>(child)) {
            QObject::connect(box, &QCheckBox::clicked,
                             [box] { SendControlEvent(box, kEventControlClick); });
        } else if (auto* tabs = qobject_cast<QTabBar*>(child)) {
            QObject::connect(tabs, &QTabBar::currentChanged,
                             [tabs](int) { SendControlEvent(tabs, kEventControlHit); });
        }
    }
    for (QAction* action : window->findChildren<QAction*>())
        WireAction(action);
}

} // namespace

OSStatus CreateNibReference(const std::string& nibName, IBNibRef* outNibRef) {
    if (!outNibRef) return paramErr;
    InitInterfaceResources();
    // The one interface description of the program is the folder of .ui files.
    if (nibName != "main" || !QFile::exists(QStringLiteral(":/ui/MainWindow.ui")))
        return resNotFound;
    *outNibRef = new NibReference{QStringLiteral(":/ui/")};
    return noErr;
}

OSStatus SetMenuBarFromNib(IBNibRef nibRef, const std::string& menuName) {
    if (!nibRef) return paramErr;
    QWidget* form = LoadForm(nibRef->folder + QString::fromStdString(menuName) + ".ui");
    auto* bar = qobject_cast<QMenuBar*>(form);
    if (!bar) {
        delete form;
        return resNotFound;
    }
    for (QAction* action : bar->findChildren<QAction*>())
        WireAction(action);
    delete gMenuBar;
    gMenuBar = bar;
    return noErr;
}

OSStatus CreateWindowFromNib(IBNibRef nibRef, const std::string& windowName, WindowRef* outWindow) {
    if (!nibRef || !outWindow) return paramErr;
    QWidget* window = LoadForm(nibRef->folder + QString::fromStdString(windowName) + ".ui");
    if (!window) return resNotFound;
    if (auto* main = qobject_cast<QMainWindow*>(window)) {
        if (gMenuBar && !gMenuBar->parent()) main->setMenuBar(gMenuBar);
        gMainWindow = main;
    } else {
        // One taskbar entry: a dialog belongs to the main window.
        if (gMainWindow) window->setParent(gMainWindow, Qt::Dialog);
    }
    // A form laid out by hand has one size; only a form that says so grows.
    if (!window->property("resizable").toBool()) {
        window->setFixedSize(window->size());
        // Nothing offers to resize it: no grip, no maximize button; the main
        // window keeps its minimize button.
        const bool main = qobject_cast<QMainWindow*>(window) != nullptr;
        window->setWindowFlags(window->windowType() | Qt::CustomizeWindowHint |
                               Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                               Qt::WindowCloseButtonHint |
                               (main ? Qt::WindowMinimizeButtonHint : Qt::WindowType(0)));
        for (QStatusBar* bar : window->findChildren<QStatusBar*>())
            bar->setSizeGripEnabled(false);
    }
    WireWindow(window, RegisterWindow(window, windowName));
    *outWindow = window;
    return noErr;
}

void DisposeNibReference(IBNibRef nibRef) {
    delete nibRef;
}

void MyCreateWindow(const char* NibString, const char* MenuString, const char* WinString,
                    WindowRef* MyWinRef) {
    IBNibRef nibRef = nullptr;
    if (NibString && CreateNibReference(NibString, &nibRef) != noErr) return;
    if (MenuString && nibRef && SetMenuBarFromNib(nibRef, MenuString) != noErr) {
        DisposeNibReference(nibRef);
        return;
    }
    if (WinString && nibRef && MyWinRef) {
        WindowRef window = nullptr;
        if (CreateWindowFromNib(nibRef, WinString, &window) != noErr) {
            DisposeNibReference(nibRef);
            return;
        }
        *MyWinRef = window;
    }
    if (nibRef) DisposeNibReference(nibRef);
}

namespace {

// The main window's own status bar; none is made where the description has none.
QStatusBar* StatusBarOf(WindowRef window) {
    auto* main = qobject_cast<QMainWindow*>(window);
    return main ? main->findChild<QStatusBar*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

} // namespace

void SetWindowStatusText(WindowRef window, const std::string& text) {
    QStatusBar* bar = StatusBarOf(window);
    if (!bar) return;
    const QString message = QString::fromStdString(text);
    if (bar->currentMessage() != message) bar->showMessage(message);
}

std::string GetWindowStatusText(WindowRef window) {
    const QStatusBar* bar = StatusBarOf(window);
    return bar ? bar->currentMessage().toStdString() : std::string();
}

void ShowWindow(WindowRef window) {
    if (!window) return;
    if (QWidget* owner = window->parentWidget();
        owner && window->isWindow() && !window->isVisible()) {
        // Frames are not known before the first show: centre the contents.
        QRect area = window->geometry();
        area.moveCenter(owner->window()->geometry().center());
        window->setGeometry(area);
    }
    window->show();
}

void SelectWindow(WindowRef window) {
    if (!window) return;
    window->raise();
    window->activateWindow();
}

WindowRef GetDialogOwner() {
    return gMainWindow;
}

QWidget* GetMenuBar() {
    return gMenuBar;
}

namespace {

QList<QAction*> MenuCommandActions(MenuRef menu, OSType commandID) {
    QList<QAction*> found;
    QWidget* where = menu ? menu : gMenuBar.data();
    if (where)
        for (QAction* action : where->findChildren<QAction*>())
            if (CommandOf(action) == commandID) found.append(action);
    return found;
}

} // namespace

void EnableMenuCommand(MenuRef menu, OSType commandID) {
    for (QAction* action : MenuCommandActions(menu, commandID))
        action->setEnabled(true);
}

void DisableMenuCommand(MenuRef menu, OSType commandID) {
    for (QAction* action : MenuCommandActions(menu, commandID))
        action->setEnabled(false);
}

bool IsMenuCommandEnabled(MenuRef menu, OSType commandID) {
    const QList<QAction*> actions = MenuCommandActions(menu, commandID);
    return !actions.isEmpty() && actions.front()->isEnabled();
}

bool SelectMenuCommand(OSType commandID) {
    if (!gMenuBar) return false;
    for (QAction* action : gMenuBar->findChildren<QAction*>()) {
        if (CommandOf(action) == commandID) {
            action->trigger();
            return true;
        }
    }
    return false;
}
