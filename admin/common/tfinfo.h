#pragma once
// The message window of the administrator program: progress form, notices and questions.
#include <QDialog>
#include <QFont>
#include <QPointer>

#include <functional>

class QLabel;
class QPushButton;
class QWidget;

namespace kvo::admin {

enum InfoMode { InfoProgress = 1, InfoNotice = 2, InfoModalNotice = 3, InfoQuestion = 4 };

class TFinfo : public QDialog {
    Q_OBJECT
public:
    TFinfo(const QString &caption, const QString &text, int mode);

    int mode() const { return mode_; }

    QWidget *Pinner = nullptr;
    QWidget *Pbuttons = nullptr;
    QLabel *Lcaption = nullptr;
    QLabel *Ltext = nullptr;
    QLabel *Ipicture1 = nullptr; // top left
    QLabel *Ipicture2 = nullptr; // top right, questions only
    QPushButton *BOk = nullptr;
    QPushButton *BYes = nullptr;
    QPushButton *BNo = nullptr;

    // The answer of the message window shown last: true only after "Да".
    static bool answer;
    // Tests answer message windows through this hook: it is called with every window once it
    // is shown (for modal ones from inside their modal loop). A modal window the hook leaves
    // open is closed after it, unanswered.
    static std::function<void(TFinfo &)> testHook;

protected:
    void changeEvent(QEvent *e) override;
    bool eventFilter(QObject *o, QEvent *e) override;

private:
    int mode_;
    QPoint dragOffset_;
    bool dragging_ = false;
};

// Shows a message window; returns true only when a question was answered "Да".
bool showInfo(const QString &caption, const QString &text, int mode);
// Closes the message window created last, if still open.
void closeInfo();
// The program's display of an unexpected failure (a modal notice headed "Ошибка").
void showAppError(const QString &text);

// The program's fonts: "MS Sans Serif" 13 px and "Courier New" 13 px, or their local kin.
QFont uiFont(int pixelSize = 13);
QFont monoFont(int pixelSize = 13);

} // namespace kvo::admin
