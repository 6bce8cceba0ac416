// Reads a workbook back through Debian's python3-xlrd, an independent reader
// of .xls files, for the workbook tests.
#pragma once

#include <QByteArray>
#include <QFileInfo>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <cstdlib>
#include <string>
#include <vector>

namespace xlrdtest {

struct Cell {
    enum Type { Empty, Text, Number, Other } type = Empty;
    double number = 0;
    QByteArray text;  // the characters as Latin-1 bytes
};

struct Sheet {
    QStringList sheetNames;
    int rows = 0;
    int columns = 0;
    std::vector<std::vector<Cell>> cells;  // rows × columns
    QString warnings;                      // what xlrd said about the file, if anything

    const Cell& at(int row, int column) const { return cells[size_t(row)][size_t(column)]; }
};

enum class Status { Unavailable, Failed, Ok };

// Cells are printed as n<float.hex()>, t<latin-1 hex>, e, or o<ctype>, one row
// a line, so numbers come back bit-exact and texts byte-exact. xlrd's own
// notes go to stderr.
inline const char* const Script = R"PY(
import sys
try:
    import xlrd
except Exception:
    sys.exit(77)
wb = xlrd.open_workbook(sys.argv[1], logfile=sys.stderr)
sh = wb.sheet_by_name(sys.argv[2])
w = sys.stdout.write
w(" ".join(n.encode("latin-1").hex() for n in wb.sheet_names()) + "\n")
w("%d %d\n" % (sh.nrows, sh.ncols))
for r in range(sh.nrows):
    parts = []
    for cell in sh.row(r):
        if cell.ctype == xlrd.XL_CELL_NUMBER:
            parts.append("n" + float(cell.value).hex())
        elif cell.ctype == xlrd.XL_CELL_TEXT:
            parts.append("t" + cell.value.encode("latin-1").hex())
        elif cell.ctype == xlrd.XL_CELL_EMPTY:
            parts.append("e")
        else:
            parts.append("o%d" % cell.ctype)
    w(" ".join(parts) + "\n")
)PY";

inline const char* const Python = "/usr/bin/python3";

// Unavailable when /usr/bin/python3 or its xlrd module is missing; Failed with
// the reader's message in error when xlrd cannot read the file.
inline Status Read(const QString& path, const char* sheetName, Sheet& sheet, QString& error)
{
    if (!QFileInfo(QString::fromLatin1(Python)).isExecutable())
        return Status::Unavailable;
    QProcess p;
    p.start(QString::fromLatin1(Python), {QStringLiteral("-c"), QString::fromLatin1(Script), path,
                                          QString::fromLatin1(sheetName)});
    if (!p.waitForStarted())
        return Status::Unavailable;
    p.closeWriteChannel();
    // Reading a full sheet takes a few seconds in Python.
    if (!p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished();
        error = QStringLiteral("xlrd did not finish");
        return Status::Failed;
    }
    const QByteArray out = p.readAllStandardOutput();
    const QString err = QString::fromLocal8Bit(p.readAllStandardError());
    if (p.exitStatus() == QProcess::NormalExit && p.exitCode() == 77)
        return Status::Unavailable;
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        error = err.isEmpty() ? QStringLiteral("xlrd failed") : err;
        return Status::Failed;
    }
    sheet = Sheet{};
    sheet.warnings = err;
    const QList<QByteArray> lines = out.split('\n');
    if (lines.size() < 2) {
        error = QStringLiteral("no output from xlrd");
        return Status::Failed;
    }
    for (const QByteArray& name : lines[0].split(' '))
        if (!name.isEmpty())
            sheet.sheetNames << QString::fromLatin1(QByteArray::fromHex(name));
    const QList<QByteArray> size = lines[1].split(' ');
    sheet.rows = size.value(0).toInt();
    sheet.columns = size.value(1).toInt();
    if (lines.size() < sheet.rows + 2) {
        error = QStringLiteral("xlrd printed fewer rows than it counted");
        return Status::Failed;
    }
    sheet.cells.resize(size_t(sheet.rows));
    for (int r = 0; r < sheet.rows; ++r) {
        for (const QByteArray& part : lines[r + 2].split(' ')) {
            if (part.isEmpty())
                continue;
            Cell c;
            switch (part[0]) {
            case 'n':
                c.type = Cell::Number;
                c.number = std::strtod(part.constData() + 1, nullptr);  // strtod reads float.hex()
                break;
            case 't':
                c.type = Cell::Text;
                c.text = QByteArray::fromHex(part.mid(1));
                break;
            case 'e':
                c.type = Cell::Empty;
                break;
            default:
                c.type = Cell::Other;
                break;
            }
            sheet.cells[size_t(r)].push_back(c);
        }
        sheet.cells[size_t(r)].resize(size_t(sheet.columns));
    }
    return Status::Ok;
}

}  // namespace xlrdtest

// Reads path with xlrd into sheet, skipping the test where xlrd is missing.
#define READ_WITH_XLRD(path, sheetName, sheet)                                                       \
    do {                                                                                              \
        QString xlrdError_;                                                                           \
        const xlrdtest::Status xlrdStatus_ = xlrdtest::Read((path), (sheetName), (sheet), xlrdError_); \
        if (xlrdStatus_ == xlrdtest::Status::Unavailable)                                             \
            GTEST_SKIP() << "/usr/bin/python3 with xlrd is not installed";                            \
        ASSERT_EQ(xlrdStatus_, xlrdtest::Status::Ok) << xlrdError_.toStdString();                     \
        EXPECT_EQ((sheet).warnings, QString()) << "xlrd had something to say about the file";         \
    } while (0)
