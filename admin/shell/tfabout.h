#pragma once
// The About window: title, maker, credits and two memory figures.
#include <QDialog>

class QLabel;
class QPushButton;

namespace kvo::admin {

struct MemoryStatus {
    unsigned long long totalKb = 0;
    int freePercent = 0;
    bool ok = false;
};

// Reads the text of /proc/meminfo: total memory in KB, and 100 minus the memory load (the
// share of memory not available) in whole percent.
MemoryStatus parseMeminfo(const QString &text);
MemoryStatus readMemoryStatus();

class TFAbout : public QDialog {
    Q_OBJECT
public:
    explicit TFAbout(QWidget *parent = nullptr);

    QLabel *Ltotal, *Lfree;
    QPushButton *Bok;
};

} // namespace kvo::admin
