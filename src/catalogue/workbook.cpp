#include "catalogue/workbook.h"

#include <QDataStream>
#include <QFile>
#include <QHash>
#include <QXmlStreamReader>

#include <freexl.h>
#include <unzip.h>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace Workbook {

int ColumnOfReference(const QString &reference)
{
    int column = 0;
    int letters = 0;
    for (const QChar ch : reference) {
        const char16_t u = ch.toUpper().unicode();
        if (u < u'A' || u > u'Z')
            break;
        column = column * 26 + (u - u'A' + 1);
        ++letters;
    }
    return letters == 0 ? -1 : column - 1;
}

namespace {

void putCell(Sheet *sheet, int row, int column, const QVariant &value)
{
    if (row < 0 || column < 0 || !value.isValid())
        return;
    while (sheet->size() <= row)
        sheet->append(QVariantList());
    QVariantList &cells = (*sheet)[row];
    while (cells.size() <= column)
        cells.append(QVariant());
    cells[column] = value;
}

ReadError readXlsHere(const QString &path, const QString &sheetName, Sheet *sheet)
{
    const void *handle = nullptr;
    const QByteArray name = QFile::encodeName(path);
    if (freexl_open(name.constData(), &handle) != FREEXL_OK) {
        freexl_close(handle);
        return ReadError::CannotOpen;
    }
    unsigned int sheets = 0;
    freexl_get_info(handle, FREEXL_BIFF_SHEET_COUNT, &sheets);
    int found = -1;
    for (unsigned int i = 0; i < sheets && found < 0; ++i) {
        const char *sheetTitle = nullptr;
        if (freexl_get_worksheet_name(handle, static_cast<unsigned short>(i), &sheetTitle) ==
                FREEXL_OK &&
            sheetTitle && QString::fromUtf8(sheetTitle) == sheetName)
            found = static_cast<int>(i);
    }
    if (found < 0 ||
        freexl_select_active_worksheet(handle, static_cast<unsigned short>(found)) != FREEXL_OK) {
        freexl_close(handle);
        return ReadError::NoSheet;
    }
    unsigned int rows = 0;
    unsigned short columns = 0;
    freexl_worksheet_dimensions(handle, &rows, &columns);
    // A damaged file can claim any size; an .xls sheet holds at most 65536 rows of 256
    // columns, and nothing beyond them is read.
    rows = std::min(rows, 65536u);
    columns = std::min<unsigned short>(columns, 256);
    sheet->reserve(static_cast<qsizetype>(rows));
    for (unsigned int r = 0; r < rows; ++r) {
        sheet->append(QVariantList());
        for (unsigned short c = 0; c < columns; ++c) {
            FreeXL_CellValue cell;
            if (freexl_get_cell_value(handle, r, c, &cell) != FREEXL_OK)
                continue;
            QVariant value;
            switch (cell.type) {
            case FREEXL_CELL_INT:
                value = static_cast<double>(cell.value.int_value);
                break;
            case FREEXL_CELL_DOUBLE:
                value = cell.value.double_value;
                break;
            case FREEXL_CELL_TEXT:
            case FREEXL_CELL_SST_TEXT:
            case FREEXL_CELL_DATE:
            case FREEXL_CELL_DATETIME:
            case FREEXL_CELL_TIME:
                value = QString::fromUtf8(cell.value.text_value);
                break;
            default:
                break;
            }
            putCell(sheet, static_cast<int>(r), c, value);
        }
    }
    freexl_close(handle);
    return ReadError::None;
}

#ifdef Q_OS_UNIX
// FreeXL can read and write past its buffers on a damaged .xls, so the sheet is read in a
// child process: a file that breaks the library ends the child, never the till, and is
// refused as unreadable. The child hands the cells back through a pipe.
ReadError readXls(const QString &path, const QString &sheetName, Sheet *sheet)
{
    int channel[2];
    if (pipe(channel) != 0)
        return readXlsHere(path, sheetName, sheet);
    const pid_t child = fork();
    if (child < 0) {
        close(channel[0]);
        close(channel[1]);
        return readXlsHere(path, sheetName, sheet);
    }
    if (child == 0) {
        close(channel[0]);
        Sheet cells;
        const ReadError error = readXlsHere(path, sheetName, &cells);
        QByteArray bytes;
        QDataStream out(&bytes, QIODevice::WriteOnly);
        out << static_cast<int>(error) << cells;
        const char *data = bytes.constData();
        qsizetype left = bytes.size();
        while (left > 0) {
            const ssize_t written = write(channel[1], data, static_cast<size_t>(left));
            if (written <= 0)
                _exit(2);
            data += written;
            left -= written;
        }
        _exit(0);
    }
    close(channel[1]);
    QByteArray bytes;
    char buffer[65536];
    // A file that makes the library loop for ever is given up after half a minute.
    pollfd wait{channel[0], POLLIN, 0};
    while (poll(&wait, 1, 30000) > 0) {
        const ssize_t got = read(channel[0], buffer, sizeof buffer);
        if (got <= 0)
            break;
        bytes.append(buffer, got);
    }
    close(channel[0]);
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return ReadError::CannotOpen;
    QDataStream in(bytes);
    int error = 0;
    Sheet cells;
    in >> error >> cells;
    if (in.status() != QDataStream::Ok)
        return ReadError::CannotOpen;
    *sheet = std::move(cells);
    return static_cast<ReadError>(error);
}
#else
ReadError readXls(const QString &path, const QString &sheetName, Sheet *sheet)
{
    return readXlsHere(path, sheetName, sheet);
}
#endif

// One member of a zip container, or an empty array when it is absent or unreadable.
QByteArray zipMember(unzFile zip, const char *member, bool *found = nullptr)
{
    if (found)
        *found = false;
    if (unzLocateFile(zip, member, 0) != UNZ_OK || unzOpenCurrentFile(zip) != UNZ_OK)
        return {};
    QByteArray data;
    char buffer[65536];
    int read = 0;
    while ((read = unzReadCurrentFile(zip, buffer, sizeof buffer)) > 0)
        data.append(buffer, read);
    const bool ok = read == 0 && unzCloseCurrentFile(zip) == UNZ_OK;
    if (found)
        *found = ok;
    return ok ? data : QByteArray();
}

// The text of an element, including that of rich-text runs (<r><t>..</t></r>).
QString elementText(QXmlStreamReader &xml)
{
    QString text;
    const QStringView end = xml.name();
    const QString endName = end.toString();
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == u"t")
            text += xml.readElementText(QXmlStreamReader::IncludeChildElements);
        else if (xml.isStartElement() && xml.name() == u"rPh")
            xml.skipCurrentElement(); // phonetic guides are not part of the text
        else if (xml.isEndElement() && xml.name() == endName)
            break;
    }
    return text;
}

QStringList sharedStrings(const QByteArray &data)
{
    QStringList strings;
    QXmlStreamReader xml(data);
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == u"si")
            strings << elementText(xml);
    }
    return strings;
}

// Path inside the container of the worksheet named `sheetName`, or empty.
QString sheetPath(const QByteArray &workbook, const QByteArray &relations, const QString &sheetName)
{
    QString relationId;
    QXmlStreamReader book(workbook);
    while (!book.atEnd() && relationId.isEmpty()) {
        book.readNext();
        if (book.isStartElement() && book.name() == u"sheet" &&
            book.attributes().value(QLatin1StringView("name")) == sheetName) {
            for (const QXmlStreamAttribute &attribute : book.attributes())
                if (attribute.name() == u"id")
                    relationId = attribute.value().toString();
        }
    }
    if (relationId.isEmpty())
        return {};
    QXmlStreamReader rels(relations);
    while (!rels.atEnd()) {
        rels.readNext();
        if (rels.isStartElement() && rels.name() == u"Relationship" &&
            rels.attributes().value(QLatin1StringView("Id")) == relationId) {
            QString target = rels.attributes().value(QLatin1StringView("Target")).toString();
            if (target.startsWith(u'/'))
                return target.mid(1);
            return QStringLiteral("xl/") + target;
        }
    }
    return {};
}

void readSheetXml(const QByteArray &data, const QStringList &strings, Sheet *sheet)
{
    QXmlStreamReader xml(data);
    int row = -1;
    int nextColumn = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == u"row") {
            bool ok = false;
            const int number = xml.attributes().value(QLatin1StringView("r")).toInt(&ok);
            row = ok ? number - 1 : row + 1;
            nextColumn = 0;
            while (sheet->size() <= row)
                sheet->append(QVariantList());
        } else if (xml.name() == u"c") {
            const QString reference = xml.attributes().value(QLatin1StringView("r")).toString();
            const QString type = xml.attributes().value(QLatin1StringView("t")).toString();
            const int referenced = ColumnOfReference(reference);
            const int column = referenced >= 0 ? referenced : nextColumn;
            nextColumn = column + 1;
            QString raw;
            bool inlineText = false;
            while (!xml.atEnd()) {
                xml.readNext();
                if (xml.isStartElement() && xml.name() == u"v") {
                    raw = xml.readElementText();
                } else if (xml.isStartElement() && xml.name() == u"is") {
                    raw = elementText(xml);
                    inlineText = true;
                } else if (xml.isEndElement() && xml.name() == u"c") {
                    break;
                }
            }
            QVariant value;
            if (type == u"s") {
                bool ok = false;
                const int index = raw.toInt(&ok);
                if (ok && index >= 0 && index < strings.size())
                    value = strings[index];
            } else if (type == u"inlineStr" || type == u"str" || inlineText) {
                value = raw;
            } else if (type == u"b") {
                value = raw == u"1" ? 1.0 : 0.0;
            } else if (type == u"e") {
                value = QVariant(); // an error value reads as an empty cell
            } else if (!raw.isEmpty()) {
                bool ok = false;
                const double number = raw.toDouble(&ok);
                value = ok ? QVariant(number) : QVariant(raw);
            }
            putCell(sheet, row, column, value);
        }
    }
}

ReadError readXlsx(const QString &path, const QString &sheetName, Sheet *sheet)
{
    const QByteArray name = QFile::encodeName(path);
    unzFile zip = unzOpen64(name.constData());
    if (!zip)
        return ReadError::CannotOpen;
    bool found = false;
    const QByteArray workbook = zipMember(zip, "xl/workbook.xml", &found);
    if (!found) {
        unzClose(zip);
        return ReadError::CannotOpen;
    }
    const QByteArray relations = zipMember(zip, "xl/_rels/workbook.xml.rels");
    const QString member = sheetPath(workbook, relations, sheetName);
    if (member.isEmpty()) {
        unzClose(zip);
        return ReadError::NoSheet;
    }
    const QStringList strings = sharedStrings(zipMember(zip, "xl/sharedStrings.xml"));
    const QByteArray data = zipMember(zip, member.toUtf8().constData(), &found);
    unzClose(zip);
    if (!found)
        return ReadError::NoSheet;
    readSheetXml(data, strings, sheet);
    return ReadError::None;
}

} // namespace

ReadError ReadSheet(const QString &path, const QString &sheetName, Sheet *sheet)
{
    sheet->clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return ReadError::CannotOpen;
    const QByteArray magic = file.read(4);
    file.close();
    if (magic.startsWith("PK"))
        return readXlsx(path, sheetName, sheet);
    return readXls(path, sheetName, sheet);
}

} // namespace Workbook
