#pragma once
// The main window of the administrator program: menus, toolbar, status bar, clock, the database
// connection and the child-window area every other window opens in.
#include <QHash>
#include <QMainWindow>
#include <QStringList>

#include <functional>

#include "data_module.h"

class QAction;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QTimer;
class QToolButton;
class QUrl;

namespace kvo::admin {

class TFmain : public QMainWindow {
    Q_OBJECT
public:
    // args: the program's arguments without the program name.
    explicit TFmain(const QStringList &args);
    ~TFmain() override;

    static TFmain *instance();

    // Opens a window for a menu item (by its name, e.g. "_Ext"). A child window is returned
    // and shown in the child area under the item's caption (borderless and maximised unless
    // it sets the property "kvoNormalChild"); a modal window runs inside and returns nullptr.
    using Opener = std::function<QWidget *()>;
    void setOpener(const QString &itemName, Opener opener);
    // The export of a child window, given its caption.
    void setExportHandler(std::function<void(const QString &caption)> handler);

    // Test hook: how URLs and files are opened (the desktop's handler by default).
    static std::function<bool(const QUrl &)> urlOpener;
    // The maker's web site opened by the maker label; empty: the help page is opened instead.
    static const char *const kMakerSite;

    DataModule &data() { return data_; }
    QMdiArea *mdi() const { return mdi_; }
    QAction *action(const QString &itemName) const;
    QMenu *menu(const QString &title) const;
    QToolButton *toolButton(int index) const;
    QLabel *statusPanel(int index) const { return panels_[index]; }
    QLabel *Pdate = nullptr;
    QLabel *L_www = nullptr;
    QTimer *Tim1 = nullptr;

    void openItem(const QString &itemName);
    QMdiSubWindow *addChild(QWidget *w, const QString &caption);
    QString activeChildCaption() const;
    // Closes a child window together with its frame in the child area.
    static void closeChildWindow(QWidget *w);
    void setActiveTablePanel(const QString &name);

    // Handlers.
    void ConnectClick();
    void DisconnectClick();
    void ExcelClick();
    void dialClick();
    void helpClick();
    void CloseChildren();
    void updateControls();
    void BaseMenuPopup();
    void SearchMenuPopup();

protected:
    void resizeEvent(QResizeEvent *e) override;
    bool eventFilter(QObject *o, QEvent *e) override;

private:
    struct Item {
        QString caption;
        bool closesChildren = false;
        bool onlyConnected = false;
    };
    void buildMenus();
    void buildToolbar();
    void buildStatusBar();
    void Tim1Timer();
    void placeMakerLabel();

    DataModule data_;
    QMdiArea *mdi_ = nullptr;
    QWidget *P_tool = nullptr;
    QHash<QString, QAction *> actions_;
    QHash<QString, Item> items_;
    QHash<QString, Opener> openers_;
    QList<QMenu *> menus_;
    QList<QToolButton *> buttons_;
    QLabel *panels_[5] = {};
    std::function<void(const QString &)> exportHandler_;
    bool firstTick_ = true;
};

} // namespace kvo::admin
