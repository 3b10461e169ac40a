// Writes one report of each kind the way the export does (head lines from Kvo_xls.so, one data
// row, trailer lines, each line ended by CR LF, Windows-1251) and has LibreOffice Calc open all
// eight: each must come out as a sheet whose title, header and data rows hold the expected texts.
#include "xls_library.h"

#include "codec.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>
#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace {

using kvo::test::XlsLibrary;
using Rows = std::vector<std::vector<std::string>>;

// A run of template lines, or (when text is set) a line the export writes itself.
struct Piece {
    int first;
    int last;
    const char *text = nullptr;
};

struct Sample {
    const char *function;
    std::vector<Piece> head;
    std::vector<const char *> row; // the data row as the export writes it
    Piece trailer;
    Rows sheet; // the first rows of the sheet, without trailing empty cells
};

void PrintTo(const Sample &s, std::ostream *os) {
    *os << s.function;
}

const char *const kRowStart = "<tr height=17 style='height:12.75pt'>";

const std::vector<Sample> &samples() {
    static const std::vector<Sample> all{
        {"StrCaption",
         {{1, 77}},
         {kRowStart, "<td height=17 class=xl24 style='height:12.75pt'>12</td>",
          "<td class=xl24>01.08.2009</td>", "<td class=xl24>10:15:00</td>",
          "<td class=xl24>101</td>", "<td>Бухгалтерия</td>", "<td>84951234567</td>",
          "<td class=xl24>00:01:30</td>", "<td class=xl26>1</td></tr>"},
         {100, 105},
         {{"СО", "Дата", "Время", "№", "Внутренний абонент", "Внешний номер", "Продолжит.", "СD"},
          {"12", "01.08.2009", "10:15:00", "101", "Бухгалтерия", "84951234567", "00:01:30", "1"}}},
        {"StrCaptionA",
         {{1, 198},
          {0, 0, "101 Бухгалтерия</td>"},
          {200, 201},
          {0, 0, "с 01.08.2009 по 31.08.2009</td>"},
          {203, 218}},
         {kRowStart, "<td height=17 class=xl27>12</td>", "<td class=xl28>01.08.2009</td>",
          "<td class=xl28>10:15:00</td>", "<td class=xl29>84951234567</td>",
          "<td class=xl29>00:01:30</td>", "<td class=xl28>1,50 р.</td>",
          "<td class=xl30>Москва</td>", "<td class=xl30>ООО Ромашка</td>", "</tr>"},
         {229, 243},
         {{"", "Абонент:", "101 Бухгалтерия", "", "Период:", "с 01.08.2009 по 31.08.2009"},
          {},
          {"СО", "Дата", "Время", "Номер", "Продолж.", "Стоимость", "Зона", "Информация"},
          {"12", "01.08.2009", "10:15:00", "84951234567", "00:01:30", "1,50 р.", "Москва",
           "ООО Ромашка"}}},
        {"StrCaptionST",
         {{1, 112}},
         {kRowStart, "<td height=17 class=xl26 style='height:12.75pt'>Ростелеком</td>",
          "<td class=xl25>8495</td>", "<td class=xl26>Москва</td>", "<td class=xl27>2,40 р.</td>",
          "</tr>"},
         {150, 157},
         {{"Справочник: Зоны тарификации"},
          {},
          {"Оператор связи", "Сигнатура", "Зона тарификации", "Стоимость"},
          {"Ростелеком", "8495", "Москва", "2,40 р."}}},
        {"StrCaptionSV",
         {{1, 79}},
         {kRowStart, "<td height=17 class=xl24 style='height:12.75pt'>12</td>",
          "<td class=xl24>4951234567</td>", "<td class=xl25>Ростелеком</td></tr>"},
         {100, 103},
         {{"Справочник: Внешние линии"},
          {},
          {"CO", "Номер внешней линии", "Оператор связи"},
          {"12", "4951234567", "Ростелеком"}}},
        {"StrCaptionSA",
         {{1, 81}},
         {kRowStart, "<td height=17 class=xl24 style='height:12.75pt'>101</td>",
          "<td>Бухгалтерия</td></tr>"},
         {100, 103},
         {{"Справочник: Внутренние абоненты"},
          {},
          {"Внутренний телефон", "Отдел (Служба)"},
          {"101", "Бухгалтерия"}}},
        {"StrCaptionSZK",
         {{1, 63}},
         {kRowStart, "<td height=17 class=xl26 style='height:12.75pt'>84951234567</td>",
          "<td class=xl25>Иванов Иван</td>", "<td class=xl25>Москва</td>",
          "<td class=xl25>Ленина</td>", "<td class=xl26>1</td>", "<td class=xl26>2</td></tr>"},
         {100, 104},
         {{"Справочник: Записная книжка"},
          {},
          {"Номер телефона", "Абонент", "Населенный пункт", "Улица", "Дом", "Кв."},
          {"84951234567", "Иванов Иван", "Москва", "Ленина", "1", "2"}}},
        {"StrCaptionSOS",
         {{1, 75}},
         {kRowStart, "<td height=17 class=xl27 style='height:12.75pt'>1</td>",
          "<td>Ростелеком</td>", "<td>ПАО Ростелеком</td>", "<td>Москва</td>",
          "<td class=xl27>88001000800</td></tr>"},
         {100, 104},
         {{"Справочник. Операторы связи"},
          {},
          {"N", "Наименование", "Полное наименование", "Адрес", "Телефон"},
          {"1", "Ростелеком", "ПАО Ростелеком", "Москва", "88001000800"}}},
        {"StrCaptionBO",
         {{1, 66}},
         {kRowStart, "<td height=17 class=xl27 style='height:12.75pt'>5</td>",
          "<td class=xl25><pre>01/08/09 10:15 101 01 84951234567 00:01:30</pre></td></tr>"},
         {100, 102},
         {{"Журнал ошибок"},
          {},
          {"N", "Получено из АТС"},
          {"5", "01/08/09 10:15 101 01 84951234567 00:01:30"}}},
    };
    return all;
}

std::string reportFile(const XlsLibrary &library, const Sample &s) {
    auto f = library.function(s.function);
    std::string out;
    auto put = [&out](const std::string &cp1251) { out += cp1251 + "\r\n"; };
    auto putLines = [&](const Piece &p) {
        if (p.text)
            put(kvo::utf8ToCp1251(p.text));
        for (int n = p.first; n <= p.last && !p.text; ++n)
            put(f(n));
    };
    for (const Piece &p : s.head)
        putLines(p);
    for (const char *line : s.row)
        put(kvo::utf8ToCp1251(line));
    putLines(s.trailer);
    return out;
}

// RFC 4180 fields; trailing empty cells of a row are dropped.
Rows parseCsv(const std::string &text) {
    Rows rows(1);
    std::string field;
    bool quoted = false;
    auto endField = [&] {
        rows.back().push_back(field);
        field.clear();
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"')
                field += text[++i];
            else if (c == '"')
                quoted = false;
            else
                field += c;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            endField();
        } else if (c == '\n') {
            endField();
            rows.emplace_back();
        } else if (c != '\r') {
            field += c;
        }
    }
    if (!field.empty() || !rows.back().empty())
        endField();
    for (auto &row : rows)
        while (!row.empty() && row.back().empty())
            row.pop_back();
    while (!rows.empty() && rows.back().empty())
        rows.pop_back();
    return rows;
}

class Spreadsheet : public testing::TestWithParam<Sample> {
protected:
    static void SetUpTestSuite() {
        const QString soffice = QStandardPaths::findExecutable("soffice");
        if (soffice.isEmpty()) {
            skipReason_ = "LibreOffice Calc (soffice) is not installed";
            return;
        }
        dir_ = new QTemporaryDir;
        ASSERT_TRUE(dir_->isValid());
        XlsLibrary library;
        QStringList args{"-env:UserInstallation=" +
                             QUrl::fromLocalFile(dir_->filePath("profile")).toString(),
                         "--headless",
                         "--infilter=HTML (StarCalc)",
                         "--convert-to",
                         "csv:Text - txt - csv (StarCalc):44,34,76",
                         "--outdir",
                         dir_->filePath("csv")};
        for (const Sample &s : samples()) {
            QFile file(dir_->filePath(QString(s.function) + ".html"));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            const std::string bytes = reportFile(library, s);
            file.write(bytes.data(), static_cast<qint64>(bytes.size()));
            file.close();
            args << file.fileName();
        }
        // One start for all eight files: LibreOffice is slow to start.
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(soffice, args);
        ASSERT_TRUE(process.waitForFinished(240000)) << "soffice did not finish";
        log_ = process.readAll().toStdString();
    }
    static void TearDownTestSuite() {
        delete dir_;
        dir_ = nullptr;
    }
    void SetUp() override {
        if (!skipReason_.empty())
            GTEST_SKIP() << skipReason_;
        ASSERT_NE(dir_, nullptr);
    }

    static Rows sheet(const Sample &s) {
        QFile csv(dir_->filePath("csv/" + QString(s.function) + ".csv"));
        if (!csv.open(QIODevice::ReadOnly)) {
            ADD_FAILURE() << "LibreOffice wrote no sheet for " << s.function << ":\n" << log_;
            return {};
        }
        return parseCsv(csv.readAll().toStdString());
    }

    static inline QTemporaryDir *dir_ = nullptr;
    static inline std::string skipReason_;
    static inline std::string log_;
};

TEST_P(Spreadsheet, OpensAsASheetWithTheTitleHeaderAndDataRows) {
    const Sample &s = GetParam();
    EXPECT_EQ(sheet(s), s.sheet);
}

INSTANTIATE_TEST_SUITE_P(Kvo, Spreadsheet, testing::ValuesIn(samples()),
                         [](const auto &info) { return std::string(info.param.function); });

} // namespace
