#include "tf_set_records.h"

#include "codec.h"
#include "ini_file.h"
#include "record_parser.h"
#include "tf_select.h"

#include <QComboBox>
#include <QDate>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QLinearGradient>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QToolTip>
#include <QUrl>
#include <algorithm>

namespace kvo::editor {
namespace {

struct FieldSpec {
    Field field;
    const char *key;
    const char *name; // control names: B + name, S + name + 1/2, P + name
    const char *buttonText;
    int maxLength;
    const char *resultHint;
    const char *defaultPosition;
};

const FieldSpec kFieldSpecs[TFSetRecords::kFields] = {
    {Field::Date, "date", "date", "дата", 500, "Результат фильтра даты", "1,1"},
    {Field::Time, "time", "time", "время", 500, "Результат фильтра времени", "1,1"},
    {Field::PhoneIn, "phone_in", "phone_in", "внутренний номер", 500,
     "Результат фильтра внутреннего номера", "1,1"},
    {Field::PhoneOut, "phone_out", "phone_out", "внешний номер", 28,
     "Результат фильтра внешнего номера", "1,1"},
    {Field::Duration, "duration", "duration", "продолжительность", 500,
     "Результат фильтра продолжительности", "1,1"},
    {Field::Line, "line", "line", "линия", 5, "Результат фильтра линии", "1,1"},
    {Field::Cd, "cd", "cd", "тип соединения", 5, "Результат фильтра \"Тип соединения\"", "78,2"},
};

const char *const kDateFormats[] = {"mm/dd/yy", "mm/dd/yyyy", "dd/mm/yy", "dd/mm/yyyy",
                                    "yy/mm/dd", "yyyy/mm/dd", "mm.dd.yy", "mm.dd.yyyy",
                                    "dd.mm.yy", "dd.mm.yyyy", "yy.mm.dd", "yyyy.mm.dd"};

QString u(const char *utf8) {
    return QString::fromUtf8(utf8);
}

QFont courier(int pixels, bool bold = false) {
    QFont f(QStringLiteral("Courier New"));
    f.setStyleHint(QFont::TypeWriter);
    f.setFixedPitch(true);
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

QString tensRuler() {
    QString s;
    for (int k = 1; k <= 10; ++k)
        s += QString(9, QLatin1Char(' ')) + QString::number(k);
    return s;
}

QString unitsRuler() {
    QString s;
    while (s.size() < 107)
        s += QStringLiteral("1234567890");
    return s.left(107);
}

// The picture beside the field buttons.
QPixmap sidePicture() {
    QPixmap pm(37, 219);
    QPainter p(&pm);
    QLinearGradient g(0, 0, 37, 0);
    g.setColorAt(0, QColor(20, 45, 130));
    g.setColorAt(1, QColor(70, 110, 200));
    p.fillRect(pm.rect(), g);
    p.setPen(Qt::white);
    QFont f(QStringLiteral("Liberation Sans"));
    f.setPixelSize(16);
    f.setBold(true);
    p.setFont(f);
    p.translate(24, 200);
    p.rotate(-90);
    p.drawText(0, 0, QStringLiteral("KVO  фильтр"));
    return pm;
}

class BottomStrip : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter p(this);
        QLinearGradient g(0, 0, 0, height());
        g.setColorAt(0, QColor(235, 238, 245));
        g.setColorAt(1, QColor(200, 208, 225));
        p.fillRect(rect(), g);
        p.setPen(QColor(160, 160, 160));
        p.drawLine(0, 0, width(), 0);
    }
};

} // namespace

QValidator::State NumberBox::validate(QString &text, int &) const {
    if (text.isEmpty())
        return QValidator::Intermediate;
    bool ok = false;
    int v = text.toInt(&ok);
    if (!ok)
        return QValidator::Invalid;
    return v >= minimum() && v <= maximum() ? QValidator::Acceptable : QValidator::Intermediate;
}

void NumberBox::fixup(QString &text) const {
    bool ok = false;
    long long v = text.toLongLong(&ok);
    if (!ok)
        v = minimum();
    text = QString::number(std::clamp<long long>(v, minimum(), maximum()));
}

void ResultPanel::mousePressEvent(QMouseEvent *event) {
    QLabel::mousePressEvent(event);
    emit clicked();
}

TFSetRecords::TFSetRecords(const QString &programDir, QWidget *parent)
    : QDialog(parent), programDir_(programDir) {
    setObjectName(QStringLiteral("TFSetRecords"));
    setWindowTitle(u("Настройка фильтра"));
    setFixedSize(792, 502);
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(13);
    setFont(font);
    QFont small = font;
    small.setPixelSize(11);
    const QColor lightGrey(230, 230, 230);

    auto *l1 = new QLabel(u("Фильтр"), this);
    l1->setObjectName(QStringLiteral("L1"));
    l1->setGeometry(8, 10, 50, 21);

    filter_ = new QComboBox(this);
    filter_->setObjectName(QStringLiteral("CFilter"));
    filter_->setEditable(true);
    filter_->setMaxVisibleItems(20);
    filter_->setInsertPolicy(QComboBox::NoInsert);
    filter_->setGeometry(60, 10, 220, 22);

    title_ = new QLineEdit(this);
    title_->setObjectName(QStringLiteral("EKvo"));
    title_->setGeometry(288, 10, 496, 22);

    auto greyBox = [&](const char *name, const char *hint, int y) {
        auto *e = new QLineEdit(this);
        e->setObjectName(QString::fromLatin1(name));
        e->setToolTip(u(hint));
        e->setFont(small);
        QPalette pal = e->palette();
        pal.setColor(QPalette::Base, lightGrey);
        e->setPalette(pal);
        e->setGeometry(8, y, 776, 20);
        return e;
    };
    info_ = greyBox("Einfo", "Подробная информация", 38);
    info1_ = greyBox("Einfo1", "Рекомендуемые настройки диагностики станции", 62);

    auto *l2 = new QLabel(u("Строка полученная из АТС"), this);
    l2->setObjectName(QStringLiteral("L2"));
    l2->setFont(courier(12));
    l2->setGeometry(8, 90, 300, 16);

    sample_ = new QLineEdit(this);
    sample_->setObjectName(QStringLiteral("ES1"));
    sample_->setFont(courier(12));
    sample_->setToolTip(u("Строка полученная из АТС"));
    sample_->setGeometry(8, 142, 732, 22);
    sample_->installEventFilter(this);

    // The rulers start where the sample's text starts, so the digits above a character give
    // its column.
    QStyleOptionFrame frame;
    frame.initFrom(sample_);
    frame.rect = sample_->rect();
    frame.lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &frame, sample_);
    frame.state |= QStyle::State_Sunken;
    const int textLeft =
        style()->subElementRect(QStyle::SE_LineEditContents, &frame, sample_).left() + 2;
    auto ruler = [&](const char *name, const QString &text, const QColor &ink, int y) {
        auto *r = new QLabel(text, this);
        r->setObjectName(QString::fromLatin1(name));
        r->setFont(courier(12));
        r->setAutoFillBackground(true);
        QPalette pal = r->palette();
        pal.setColor(QPalette::Window, lightGrey);
        pal.setColor(QPalette::WindowText, ink);
        r->setPalette(pal);
        r->setContentsMargins(0, 0, 0, 0);
        r->setMargin(0);
        r->setIndent(textLeft);
        r->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        r->setGeometry(8, y, 732, 15);
        return r;
    };
    ruler("Panel1", tensRuler(), QColor(0, 0, 128), 110);
    ruler("Pvisual", unitsRuler(), QColor(128, 128, 128), 126);

    auto *select = new QPushButton(QStringLiteral("..."), this);
    select->setObjectName(QStringLiteral("Bselect"));
    select->setToolTip(u("Получить из журнала ошибок"));
    select->setGeometry(742, 142, 24, 22);
    select->setAutoDefault(false);
    connect(select, &QPushButton::clicked, this, &TFSetRecords::fetchSample);

    pos_ = new QLineEdit(QStringLiteral("0"), this);
    pos_->setObjectName(QStringLiteral("Epos"));
    pos_->setToolTip(u("Порядковый номер символа (длина выделения)"));
    pos_->setFocusPolicy(Qt::ClickFocus);
    pos_->setFrame(false);
    pos_->setGeometry(8, 168, 90, 18);
    QPalette posPal = pos_->palette();
    posPal.setColor(QPalette::Base, posPal.color(QPalette::Window));
    pos_->setPalette(posPal);

    auto *picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("Image1"));
    picture->setPixmap(sidePicture());
    picture->setGeometry(8, 192, 37, 219);

    for (int i = 0; i < kFields; ++i) {
        const FieldSpec &desc = kFieldSpecs[i];
        const QString name = QString::fromLatin1(desc.name);
        const int y = 194 + i * 31;
        Row &row = rows_[i];
        row.field = desc.field;

        row.button = new QPushButton(u(desc.buttonText), this);
        row.button->setObjectName(QStringLiteral("B") + name);
        row.button->setToolTip(u("Выделите часть строки и нажмите здесь"));
        // The button must not take the focus: the sample would lose its selection.
        row.button->setFocusPolicy(Qt::NoFocus);
        row.button->setAutoDefault(false);
        row.button->setGeometry(52, y, 150, 26);

        row.start = new NumberBox(this);
        row.start->setObjectName(QStringLiteral("S") + name + QStringLiteral("1"));
        row.start->setToolTip(u("Номер первого символа"));
        row.start->setRange(1, 500);
        row.start->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
        row.start->setGeometry(208, y + 2, 62, 22);

        row.length = new NumberBox(this);
        row.length->setObjectName(QStringLiteral("S") + name + QStringLiteral("2"));
        row.length->setToolTip(u("Количество символов"));
        row.length->setRange(1, desc.maxLength);
        row.length->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
        row.length->setGeometry(274, y + 2, 62, 22);

        row.result = new ResultPanel(this);
        row.result->setObjectName(QStringLiteral("P") + name);
        row.result->setToolTip(u(desc.resultHint));
        row.result->setFont(courier(13, true));
        row.result->setAutoFillBackground(true);
        QPalette pal = row.result->palette();
        pal.setColor(QPalette::Window, QColor(128, 128, 128));
        pal.setColor(QPalette::WindowText, Qt::white);
        row.result->setPalette(pal);
        row.result->setIndent(6);
        row.result->setGeometry(342, y, i == 0 ? 290 : 442, 26);

        connect(row.button, &QPushButton::clicked, this, [this, i] { markField(i); });
        connect(row.start, &QSpinBox::valueChanged, this, [this, i] { refreshField(i); });
        connect(row.length, &QSpinBox::valueChanged, this, [this, i] { refreshField(i); });
        connect(row.result, &ResultPanel::clicked, this, [this, i] { showField(i); });
    }

    dateFormat_ = new QComboBox(this);
    dateFormat_->setObjectName(QStringLiteral("Cdate_f"));
    dateFormat_->setEditable(true);
    dateFormat_->setInsertPolicy(QComboBox::NoInsert);
    dateFormat_->setMaxVisibleItems(16);
    dateFormat_->setToolTip(u("Формат даты (dd - день / mm - месяц / yy - год)"));
    for (const char *f : kDateFormats)
        dateFormat_->addItem(QString::fromLatin1(f));
    dateFormat_->setGeometry(638, 196, 146, 22);
    // Tab reaches the format box within the date row, where it stands.
    QWidget::setTabOrder(rows_[0].length, dateFormat_);
    connect(dateFormat_, &QComboBox::editTextChanged, this, [this] { refreshField(0); });

    auto *strip = new BottomStrip(this);
    strip->setGeometry(0, 452, 792, 50);
    auto button = [&](const char *name, const char *text, int x, int w) {
        auto *b = new QPushButton(u(text), strip);
        b->setObjectName(QString::fromLatin1(name));
        b->setGeometry(x, 11, w, 28);
        b->setAutoDefault(false);
        return b;
    };
    auto *help = button("Bhelp", "Помощь", 8, 100);
    auto *fresh = button("Bnew", "Новый фильтр", 116, 130);
    fresh->setToolTip(u("Создать новый фильтр"));
    auto *saveButton = button("Bsave", "Сохранить", 576, 100);
    auto *cancel = button("Bcancel", "Отмена", 684, 100);
    connect(help, &QPushButton::clicked, this, &TFSetRecords::openHelp);
    connect(fresh, &QPushButton::clicked, this, &TFSetRecords::newLayout);
    connect(saveButton, &QPushButton::clicked, this, &TFSetRecords::save);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    for (QWidget *w : findChildren<QWidget *>())
        w->setToolTipDuration(10000);

    connect(sample_, &QLineEdit::textChanged, this, [this] {
        updatePosition();
        refreshAll();
    });

    QDir filters(programDir_ + QStringLiteral("Filters"));
    filter_->addItems(filters.entryList({QStringLiteral("*.ini")}, QDir::Files, QDir::Name));
    connect(filter_, &QComboBox::editTextChanged, this, &TFSetRecords::loadLayout);
    const std::string mainIni = (programDir_ + QStringLiteral("Kvo_main.ini")).toStdString();
    filter_->setEditText(QString::fromStdString(
        IniFile(mainIni).readString("Terminal", "filter", "Panasonic_KXTD.ini")));
    loadLayout();
}

QString TFSetRecords::layoutPath() const {
    return programDir_ + QStringLiteral("Filters/") + filter_->currentText();
}

void TFSetRecords::clearForm() {
    for (QLineEdit *e : {title_, pos_, info_, info1_, sample_})
        e->clear();
    for (Row &row : rows_) {
        row.start->setValue(1);
        row.length->setValue(1);
    }
    dateFormat_->setCurrentIndex(0);
    dateFormat_->setEditText(dateFormat_->itemText(0));
    for (Row &row : rows_)
        row.result->clear();
}

void TFSetRecords::loadLayout() {
    clearForm();
    const QString path = layoutPath();
    const QString name = filter_->currentText();
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || !QFileInfo(path).isFile())
        return;
    const kvo::IniContents file = IniFile(path.toStdString()).load();
    auto read = [&](const char *section, const char *key, const char *def) {
        return QString::fromStdString(file.readString(section, key, def));
    };
    title_->setText(read("Main", "title", ""));
    info_->setText(read("Main", "info", ""));
    info1_->setText(read("Main", "info1", ""));
    QString s1 = read("Strings", "S1", "");
    // A hand-edited value may carry a second pair of quotes; a lone leading quote is kept
    // rather than cutting the line's last character.
    if (s1.size() >= 2 && s1.startsWith(QLatin1Char('"')) && s1.endsWith(QLatin1Char('"')))
        s1 = s1.mid(1, s1.size() - 2);
    setSample(s1);
    dateFormat_->setEditText(read("Filter", "date_f", "mm/dd/yy"));
    for (int i = 0; i < kFields; ++i) {
        const FieldSpec &desc = kFieldSpecs[i];
        auto pos =
            capture::parseFieldPosition(file.readString("Filter", desc.key, desc.defaultPosition));
        // A position that is not two integers shows as start 1, length 1.
        long long start = pos ? pos->start : 1, length = pos ? pos->length : 1;
        rows_[i].start->setValue(static_cast<int>(std::clamp<long long>(start, 1, 500)));
        rows_[i].length->setValue(
            static_cast<int>(std::clamp<long long>(length, 1, rows_[i].length->maximum())));
    }
    refreshAll();
}

void TFSetRecords::refreshField(int i) {
    const Row &row = rows_[i];
    row.result->setText(fieldPreview(row.field, sample_->text(), row.start->value(),
                                     row.length->value(), dateFormat_->currentText(),
                                     QDate::currentDate().year()));
}

void TFSetRecords::refreshAll() {
    for (int i = 0; i < kFields; ++i)
        refreshField(i);
}

QString TFSetRecords::positionText() const {
    const int first =
        sample_->hasSelectedText() ? sample_->selectionStart() : sample_->cursorPosition();
    return QStringLiteral("%1(%2)").arg(first + 1).arg(sample_->selectedText().size());
}

void TFSetRecords::updatePosition() {
    pos_->setText(positionText());
}

void TFSetRecords::markField(int i) {
    const bool selected = sample_->hasSelectedText();
    rows_[i].start->setValue(selected ? sample_->selectionStart() + 1
                                      : sample_->cursorPosition() + 1);
    rows_[i].length->setValue(static_cast<int>(sample_->selectedText().size()));
}

void TFSetRecords::showField(int i) {
    sample_->setFocus();
    sample_->setSelection(rows_[i].start->value() - 1, rows_[i].length->value());
    updatePosition();
}

void TFSetRecords::newLayout() {
    filter_->setEditText(QStringLiteral("New_filter.ini"));
    clearForm();
    filter_->setFocus();
}

void TFSetRecords::fetchSample() {
    const QString picked = pickFromJournal
                               ? pickFromJournal(this)
                               : TFSelect::pickLine(programDir_ + QStringLiteral("Base"), this);
    if (!picked.isEmpty())
        setSample(picked);
}

void TFSetRecords::setSample(const QString &text) {
    sample_->setText(text);
    // The caret goes to column 1 as in a freshly filled edit box: a line wider than the box
    // then shows from its start, under the rulers.
    sample_->setCursorPosition(0);
    updatePosition();
}

void TFSetRecords::save() {
    const QString name = filter_->currentText();
    const std::string path = layoutPath().toStdString();
    try {
        // A name that leaves the layout folder (or names the folder itself) cannot be a layout.
        if (name.isEmpty() || name.contains(QLatin1Char('/')))
            throw IniWriteError(path);
        std::vector<IniAssignment> values = {
            {"Main", "title", title_->text().toStdString()},
            {"Main", "info", info_->text().toStdString()},
            {"Main", "info1", info1_->text().toStdString()},
            {"Strings", "S1", "\"" + sample_->text().toStdString() + "\""},
            {"Filter", "date_f", dateFormat_->currentText().toStdString()},
        };
        for (int i = 0; i < kFields; ++i)
            values.push_back({"Filter", kFieldSpecs[i].key,
                              std::to_string(rows_[i].start->value()) + "," +
                                  std::to_string(rows_[i].length->value())});
        IniFile(path).writeStrings(values);
        IniFile((programDir_ + QStringLiteral("Kvo_main.ini")).toStdString())
            .writeString("Terminal", "filter", name.toStdString());
    } catch (const IniWriteError &e) {
        QMessageBox::critical(this, u("Ошибка"),
                              u("Не удалось записать файл ") + QString::fromStdString(e.file()));
        return;
    }
    accept();
}

void TFSetRecords::openHelp() {
    QDesktopServices::openUrl(QUrl::fromLocalFile(programDir_ + QStringLiteral("Kvo_help.html")));
}

bool TFSetRecords::eventFilter(QObject *watched, QEvent *event) {
    if (watched == sample_) {
        switch (event->type()) {
        case QEvent::KeyRelease:
        case QEvent::MouseButtonRelease:
            updatePosition();
            break;
        case QEvent::MouseButtonDblClick:
        case QEvent::FocusIn:
            // After the line edit has handled the event, so the selection is current.
            QMetaObject::invokeMethod(
                this,
                [this] {
                    updatePosition();
                    refreshAll();
                },
                Qt::QueuedConnection);
            break;
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void runSetRecords(const QString &programDir) {
    // The tooltip colour is the editor's own; the host shares the application object, so its
    // tooltips get their colours back when the editor closes.
    const QPalette hostTips = QToolTip::palette();
    QPalette tips = hostTips;
    tips.setColor(QPalette::ToolTipBase, QColor(181, 239, 255));
    tips.setColor(QPalette::ToolTipText, Qt::black);
    QToolTip::setPalette(tips);
    {
        TFSetRecords dialog(programDir);
        dialog.exec();
    }
    QToolTip::setPalette(hostTips);
}

} // namespace kvo::editor
