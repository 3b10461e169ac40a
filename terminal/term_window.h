#pragma once
// The terminal's one window: five setting lists, the received lines, the status line and the
// buttons, with the port it reads and the tray icon it hides to.
#include "line_assembler.h"
#include "serial_port.h"

#include <QTimer>
#include <QWidget>

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QSystemTrayIcon;

namespace kvo::term {

// The texts of the five lists, in the order of keys combo1 ... combo5.
const QStringList &settingItems(int list);
// Device of port item 0..3: key deviceN of section Terminal of Kvo_main.ini, default /dev/ttySn.
std::string deviceForPort(int index);

class TermWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int kPollMs = 1000;

    TermWindow();
    ~TermWindow() override;

    // "auto" presses "Запись", "hide" presses "Свернуть" (either as the first or second word).
    void applyArguments(const QStringList &args);

    void pressRecord();   // "Запись"
    void pressStop();     // "Стоп"
    void pressHide();     // "Свернуть"
    void pressSettings(); // "Настройки"
    void pressAdmin();    // "Администр."
    // One polling tick: drains the port until 100 ms pass without a byte.
    void pollTick();
    // Brings the window back, as a click on the tray icon does.
    void restoreFromTray();

    bool portOpen() const { return portOpen_; }
    bool pollingActive() const { return timer_.isActive(); }
    QString statusText() const;
    QSystemTrayIcon *trayIcon() const { return tray_; }
    const LineAssembler &assembler() const { return assembler_; }

signals:
    // After the shutdown work of a close: settings saved, port closed.
    void finished();

protected:
    void paintEvent(QPaintEvent *) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void setStatus(const QString &text);
    void setReadingState(bool reading);
    void receive(int byte);
    void handleLine(const std::string &line);
    void shutdown();
    // Whether the tray icon is there to bring a hidden window back.
    bool trayUsable();

    QListWidget *list_ = nullptr;
    QLabel *status_ = nullptr;
    QComboBox *combos_[5] = {};
    QPushButton *record_ = nullptr;
    QPushButton *stop_ = nullptr;
    QPushButton *hide_ = nullptr;
    QPushButton *settings_ = nullptr;
    QPushButton *admin_ = nullptr;
    QSystemTrayIcon *tray_ = nullptr;

    SerialPort port_;
    bool portOpen_ = false;
    QTimer timer_;
    LineAssembler assembler_;
    bool shutDown_ = false;
};

} // namespace kvo::term
