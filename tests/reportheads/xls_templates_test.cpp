// The eight report templates of Kvo_xls.so, read through the real library: which numbers give a
// line, and whether each head declares the workbook, styles and cell classes of its report.
#include "xls_library.h"

#include "codec.h"

#include <QRegularExpression>
#include <QString>
#include <QXmlStreamReader>
#include <climits>
#include <gtest/gtest.h>
#include <map>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace {

using kvo::test::XlsLibrary;

struct Range {
    int first;
    int last;
};

struct Kind {
    const char *function;
    std::vector<Range> lines; // the numbers that name a line
    int bodyLine;             // the head lies on the lines before it
    const char *folder;
    std::vector<std::pair<const char *, const char *>> properties; // document properties, in order
    const char *sheet;
    int frozenRows;
    const char *activeRow; // "" when the pane carries none
    const char *activeCol;
    const char *window;                         // height, width, top
    std::string page;                           // declarations of the page rule
    std::map<std::string, std::string> classes; // class -> properties, see classDeclarations()
};

void PrintTo(const Kind &k, std::ostream *os) {
    *os << k.function;
}

constexpr const char *kModelPage =
    "margin:.39in .39in .39in .39in;mso-header-margin:.24in;mso-footer-margin:.24in;";

std::vector<std::pair<const char *, const char *>>
fullProperties(const char *author, const char *printed, const char *created, const char *saved) {
    std::vector<std::pair<const char *, const char *>> p{{"Author", author},
                                                         {"LastAuthor", author}};
    if (printed)
        p.push_back({"LastPrinted", printed});
    p.insert(p.end(), {{"Created", created}, {"LastSaved", saved}, {"Company", "RAVEX GROUP"}});
    return p;
}

const std::vector<Kind> &kinds() {
    static const std::vector<Kind> all{
        {"StrCaption",
         {{1, 77}, {100, 105}},
         58,
         "Book1",
         {{"LastAuthor", "admin"},
          {"LastPrinted", "2009-08-13T05:39:32Z"},
          {"LastSaved", "2009-08-13T05:39:47Z"}},
         "Экспорт из поисковой системы",
         1,
         "",
         "",
         "8685,15195,135",
         kModelPage,
         {{"xl24", "center"},
          {"xl25", "center all"},
          {"xl26", "text center"},
          {"xl27", "text center all"}}},
        {"StrCaptionA",
         {{1, 198}, {200, 201}, {203, 218}, {229, 243}},
         179,
         "2",
         {{"LastAuthor", "admin"},
          {"LastPrinted", "2009-07-30T10:49:02Z"},
          {"LastSaved", "2009-07-30T10:49:03Z"}},
         "Book1",
         3,
         "9",
         "4",
         "8685,15195,135",
         "margin:.59in .79in .59in .79in;mso-header-margin:.51in;mso-footer-margin:.51in;"
         "mso-page-orientation:landscape;",
         {{"xl24", "center"},
          {"xl25", "left"},
          {"xl26", "center all"},
          {"xl27", "center -RBL"},
          {"xl28", "center -RB-"},
          {"xl29", "-RB-"},
          {"xl30", "left -RB-"},
          {"xl31", "all"},
          {"xl32", "left all"},
          {"xl33", "bold center all"},
          {"xl34", "bold center TRB-"},
          {"xl35", "bold left"}}},
        {"StrCaptionST",
         {{1, 90}, {100, 112}, {150, 157}},
         84,
         "Книга1",
         fullProperties("admin", nullptr, "2009-08-05T05:32:26Z", "2009-08-05T05:37:30Z"),
         "Зоны тарификации",
         3,
         "",
         "",
         "8685,15195,135",
         kModelPage,
         {{"xl24", "bold text"},
          {"xl25", "text center"},
          {"xl26", "text"},
          {"xl27", "text right"},
          {"xl28", "bold text center all"}}},
        {"StrCaptionSV",
         {{1, 79}, {100, 103}},
         65,
         "Книга1",
         fullProperties("admin", "2009-08-05T07:36:56Z", "2009-08-05T07:31:53Z",
                        "2009-08-05T07:37:11Z"),
         "Внешние линии",
         3,
         "5",
         "",
         "8685,15195,135",
         kModelPage,
         {{"xl24", "text center"},
          {"xl25", "text"},
          {"xl26", "bold text left"},
          {"xl27", "bold text center all"}}},
        {"StrCaptionSA",
         {{1, 81}, {100, 103}},
         69,
         "Книга1",
         fullProperties("admin", "2009-08-06T04:20:25Z", "2009-08-06T04:18:08Z",
                        "2009-08-06T04:20:41Z"),
         "Внутренние абоненты",
         3,
         "5",
         "",
         "8685,15195,135",
         std::string(kModelPage) + "mso-horizontal-page-align:center;",
         {{"xl24", "center"}, {"xl25", "bold left"}, {"xl26", "bold center all"}}},
        {"StrCaptionSZK",
         {{1, 63}, {100, 104}},
         45,
         "Книга1",
         fullProperties("Admin", "2009-08-05T15:36:04Z", "2009-08-05T15:28:34Z",
                        "2009-08-05T15:37:44Z"),
         "Записная книжка",
         3,
         "5",
         "",
         "9705,19035,30",
         kModelPage,
         {{"xl24", "8pt bold left"},
          {"xl25", "8pt"},
          {"xl26", "8pt center"},
          {"xl27", "8pt bold center all"}}},
        {"StrCaptionSOS",
         {{1, 75}, {100, 104}},
         55,
         "Книга1",
         fullProperties("admin", "2009-08-07T09:37:23Z", "2009-08-07T09:33:00Z",
                        "2009-08-07T09:39:19Z"),
         "Операторы связи",
         3,
         "6",
         "",
         "8685,15195,135",
         std::string(kModelPage) + "mso-page-orientation:landscape;",
         {{"xl24", "bold center all"},
          {"xl25", "bold text left"},
          {"xl26", "bold text center all"},
          {"xl27", "text center"}}},
        {"StrCaptionBO",
         {{1, 66}, {100, 102}},
         54,
         "Книга1",
         fullProperties("admin", "2009-08-11T05:16:08Z", "2009-08-11T05:08:14Z",
                        "2009-08-11T05:16:16Z"),
         "Журнал ошибок",
         3,
         "",
         "",
         "8685,15195,135",
         kModelPage,
         {{"xl24", "8pt bold left"},
          {"xl25", "8pt"},
          {"xl26", "8pt center all"},
          {"xl27", "8pt center"}}},
    };
    return all;
}

XlsLibrary &library() {
    static XlsLibrary lib;
    return lib;
}

int lastLine(const Kind &k) {
    return k.lines.back().last;
}

bool defined(const Kind &k, long long n) {
    for (const Range &r : k.lines)
        if (n >= r.first && n <= r.last)
            return true;
    return false;
}

// The head as UTF-8, lines joined by line breaks.
QString head(const Kind &k) {
    auto f = library().function(k.function);
    std::string text;
    for (int n = 1; n < k.bodyLine; ++n)
        text += kvo::cp1251ToUtf8(f(n)) + "\n";
    return QString::fromStdString(text);
}

// "name:value;" pairs of a CSS declaration list.
std::map<QString, QString> declarations(const QString &list) {
    std::map<QString, QString> result;
    for (const QString &item : list.split(';', Qt::SkipEmptyParts)) {
        const auto colon = item.indexOf(':');
        if (colon > 0)
            result[item.left(colon).trimmed()] = item.mid(colon + 1).trimmed();
    }
    return result;
}

// The words of a class's description as declarations: "8pt", "bold", "text" (kept as text),
// "center"/"left"/"right", "all" (a border on every side) or four letters T R B L for the sides
// that carry a border, "-" for a side without one.
std::map<QString, QString> classDeclarations(const std::string &words) {
    const QString line = ".5pt solid windowtext";
    std::map<QString, QString> d{{"mso-style-parent", "style0"}};
    for (const QString &w : QString::fromStdString(words).split(' ', Qt::SkipEmptyParts)) {
        if (w == "8pt")
            d["font-size"] = "8.0pt";
        else if (w == "bold")
            d["font-weight"] = "700";
        else if (w == "text")
            d["mso-number-format"] = "\"\\@\"";
        else if (w == "center" || w == "left" || w == "right")
            d["text-align"] = w;
        else if (w == "all")
            d["border"] = line;
        else if (w.size() == 4) {
            const char *sides[] = {"top", "right", "bottom", "left"};
            for (int i = 0; i < 4; ++i)
                d[QString("border-") + sides[i]] = w[i] == '-' ? "none" : line;
        } else
            ADD_FAILURE() << "unknown class word " << w.toStdString();
    }
    return d;
}

// Every leaf of the conditional XML blocks of a head, as "path=text" in document order.
std::vector<std::string> xmlLeaves(const QString &headText) {
    static const QRegularExpression block(R"(<!--\[if gte mso 9\]><xml>(.*?)</xml><!\[endif\]-->)",
                                          QRegularExpression::DotMatchesEverythingOption);
    std::vector<std::string> leaves;
    for (const auto &m : block.globalMatch(headText)) {
        QXmlStreamReader xml("<r xmlns:o=\"urn:schemas-microsoft-com:office:office\" "
                             "xmlns:x=\"urn:schemas-microsoft-com:office:excel\">" +
                             m.captured(1) + "</r>");
        QStringList path;
        QString text;
        bool leaf = false;
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isStartElement()) {
                path << xml.qualifiedName().toString();
                text.clear();
                leaf = true;
            } else if (xml.isCharacters()) {
                text += xml.text();
            } else if (xml.isEndElement()) {
                if (leaf)
                    leaves.push_back((path.mid(1).join('/') + "=" + text.trimmed()).toStdString());
                path.removeLast();
                leaf = false;
            }
        }
        EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    }
    return leaves;
}

class Template : public testing::TestWithParam<Kind> {};

TEST_P(Template, OnlyTheNumberedLinesHaveText) {
    const Kind &k = GetParam();
    auto f = library().function(k.function);
    std::vector<long long> numbers{INT_MIN, INT_MIN + 1, -1000, INT_MAX, lastLine(k) + 1000LL};
    for (int n = -3; n <= lastLine(k) + 3; ++n)
        numbers.push_back(n);
    for (long long n : numbers) {
        const char *text = f(static_cast<std::int32_t>(n));
        ASSERT_NE(text, nullptr) << n;
        if (!defined(k, n)) {
            EXPECT_STREQ(text, "") << k.function << "(" << n << ")";
        } else if (n >= k.bodyLine) {
            EXPECT_STRNE(text, "") << k.function << "(" << n << ")";
        }
        EXPECT_EQ(f(static_cast<std::int32_t>(n)), text) << "the same number gives the same text";
    }
    EXPECT_STRNE(f(1), "");
    EXPECT_STREQ(f(k.bodyLine), "<body link=blue vlink=purple>");
}

TEST_P(Template, HeadDeclaresTheWorkbookOfItsReport) {
    const Kind &k = GetParam();
    const QString text = head(k);
    const QString folder = QString::fromUtf8(k.folder);
    EXPECT_TRUE(text.startsWith("<html xmlns:o=\"urn:schemas-microsoft-com:office:office\""));
    for (const QString &piece :
         {QString("xmlns:x=\"urn:schemas-microsoft-com:office:excel\""),
          QString("xmlns=\"http://www.w3.org/TR/REC-html40\">"),
          QString("<meta http-equiv=Content-Type content=\"text/html; charset=windows-1251\">"),
          QString("<meta name=ProgId content=Excel.Sheet>"),
          QString("<meta name=Generator content=\"Microsoft Excel 11\">"),
          "<link rel=File-List href=\"" + folder + ".files/filelist.xml\">",
          "<link rel=Edit-Time-Data href=\"" + folder + ".files/editdata.mso\">",
          "<link rel=OLE-Object-Data href=\"" + folder + ".files/oledata.mso\">"})
        EXPECT_TRUE(text.contains(piece)) << piece.toStdString();
    EXPECT_TRUE(text.trimmed().endsWith("</head>"));

    const std::string ws = "x:ExcelWorkbook/x:ExcelWorksheets/x:ExcelWorksheet/";
    const std::string opt = ws + "x:WorksheetOptions/";
    const QStringList window = QString(k.window).split(',');
    std::vector<std::string> expected;
    for (const auto &[name, value] : k.properties)
        expected.push_back(std::string("o:DocumentProperties/o:") + name + "=" + value);
    expected.push_back("o:DocumentProperties/o:Version=11.9999");
    const std::string frozen = std::to_string(k.frozenRows);
    expected.insert(expected.end(),
                    {ws + "x:Name=" + k.sheet, opt + "x:Print/x:ValidPrinterInfo=",
                     opt + "x:Print/x:PaperSizeIndex=9", opt + "x:Print/x:HorizontalResolution=600",
                     opt + "x:Print/x:VerticalResolution=600",
                     opt + "x:Selected=", opt + "x:FreezePanes=", opt + "x:FrozenNoSplit=",
                     opt + "x:SplitHorizontal=" + frozen, opt + "x:TopRowBottomPane=" + frozen,
                     opt + "x:ActivePane=2", opt + "x:Panes/x:Pane/x:Number=3",
                     opt + "x:Panes/x:Pane/x:Number=2"});
    if (*k.activeRow)
        expected.push_back(opt + "x:Panes/x:Pane/x:ActiveRow=" + k.activeRow);
    if (*k.activeCol)
        expected.push_back(opt + "x:Panes/x:Pane/x:ActiveCol=" + k.activeCol);
    expected.insert(expected.end(),
                    {opt + "x:ProtectContents=False", opt + "x:ProtectObjects=False",
                     opt + "x:ProtectScenarios=False",
                     "x:ExcelWorkbook/x:WindowHeight=" + window[0].toStdString(),
                     "x:ExcelWorkbook/x:WindowWidth=" + window[1].toStdString(),
                     "x:ExcelWorkbook/x:WindowTopX=0",
                     "x:ExcelWorkbook/x:WindowTopY=" + window[2].toStdString(),
                     "x:ExcelWorkbook/x:ProtectStructure=False",
                     "x:ExcelWorkbook/x:ProtectWindows=False"});
    EXPECT_EQ(xmlLeaves(text), expected);
}

TEST_P(Template, StyleDefinesTheCellClassesItUses) {
    const Kind &k = GetParam();
    const QString text = head(k);
    const auto start = text.indexOf("<style>");
    const auto end = text.indexOf("</style>");
    ASSERT_TRUE(start >= 0 && end > start);
    static const QRegularExpression rule(R"(([.@\w]+)\s*\{([^}]*)\})");
    std::map<QString, std::map<QString, QString>> rules;
    for (const auto &m : rule.globalMatch(text.mid(start, end - start)))
        rules[m.captured(1)] = declarations(m.captured(2));

    const std::map<QString, QString> table{{"mso-displayed-decimal-separator", "\"\\,\""},
                                           {"mso-displayed-thousand-separator", "\" \""}};
    EXPECT_EQ(rules["table"], table);
    EXPECT_EQ(rules["@page"], declarations(QString::fromStdString(k.page)));
    EXPECT_EQ(rules["tr"]["mso-height-source"], "auto");
    EXPECT_EQ(rules["col"]["mso-width-source"], "auto");
    EXPECT_EQ(rules["br"]["mso-data-placement"], "same-cell");
    const std::map<QString, QString> cell{{"mso-number-format", "General"},
                                          {"text-align", "general"},
                                          {"vertical-align", "bottom"},
                                          {"white-space", "nowrap"},
                                          {"color", "windowtext"},
                                          {"font-size", "10.0pt"},
                                          {"font-weight", "400"},
                                          {"font-style", "normal"},
                                          {"font-family", "\"Arial Cyr\""},
                                          {"mso-font-charset", "204"},
                                          {"border", "none"},
                                          {"mso-protection", "locked visible"}};
    for (const char *selector : {".style0", "td"})
        for (const auto &[name, value] : cell)
            EXPECT_EQ(rules[selector][name], value) << selector << " " << name.toStdString();
    EXPECT_EQ(rules[".style0"]["mso-style-name"], "Обычный");
    EXPECT_EQ(rules["td"]["mso-style-parent"], "style0");

    std::map<QString, std::map<QString, QString>> classes;
    for (const auto &[selector, decls] : rules)
        if (selector.startsWith(".xl"))
            classes[selector.mid(1)] = decls;
    std::map<QString, std::map<QString, QString>> expected;
    for (const auto &[name, words] : k.classes)
        expected[QString::fromStdString(name)] = classDeclarations(words);
    EXPECT_EQ(classes, expected);

    // Every class the body, the head or the export's rows name must be defined.
    auto f = library().function(k.function);
    static const QRegularExpression used(R"(class=(xl\d+))");
    for (int n = 1; n <= lastLine(k); ++n) {
        for (const auto &m : used.globalMatch(QString::fromLatin1(f(n)))) {
            EXPECT_TRUE(classes.count(m.captured(1)))
                << k.function << "(" << n << ") uses " << m.captured(1).toStdString();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Kvo, Template, testing::ValuesIn(kinds()),
                         [](const auto &info) { return std::string(info.param.function); });

// The converter runs while compiling; these lines show that Cyrillic letters, the numero sign
// and a Cyrillic letter next to a Latin one come out as single Windows-1251 bytes.
TEST(SearchTemplate, KeepsItsTextsByteForByteInWindows1251) {
    auto f = library().function("StrCaption");
    const std::vector<std::pair<int, const char *>> lines{
        {3, "xmlns=\"http://www.w3.org/TR/REC-html40\">"},
        {17, "<!--table {mso-displayed-decimal-separator:\"\\,\";mso-displayed-thousand-separator:"
             "\" \";}"},
        {27, "mso-style-name:\xCE\xE1\xFB\xF7\xED\xFB\xE9;mso-style-id:0;}"},
        {36, ".xl26 {mso-style-parent:style0;mso-number-format:\"\\@\";text-align:center;}"},
        {70, "<td height=17 class=xl25 width=42 style='height:12.75pt;width:32pt'>\xD1\xCE</td>"},
        {73, "<td class=xl25 width=55 style='border-left:none;width:41pt'>\xB9</td>"},
        {77, "<td class=xl27 width=51 style='border-left:none;width:38pt'>\xD1"
             "D</td></tr>"},
        {105, "<![endif]></table></body></html>"},
    };
    for (const auto &[n, text] : lines)
        EXPECT_STREQ(f(n), text) << "line " << n;
}

} // namespace
