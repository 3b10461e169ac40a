#include "query.h"

#include "data_module.h"
#include "database.h"

namespace kvo::admin {

void DbConnection::open(const QString &baseDir) {
    if (!db_)
        db_ = std::make_unique<kvo::Database>(baseDir.toStdString());
}

void DbConnection::close() {
    db_.reset();
}

kvo::Database &DbConnection::database() {
    if (!db_)
        throw kvo::DbError("Database is not connected");
    return *db_;
}

Query::Query(DbConnection &connection, const QString &name) : conn_(connection) {
    setObjectName(name);
}

Query::~Query() = default;

QString Query::fieldName(int col) const {
    return col >= 0 && col < fieldCount() ? fields_[static_cast<std::size_t>(col)] : QString();
}

int Query::fieldIndex(const QString &name) const {
    for (int i = 0; i < fieldCount(); ++i)
        if (fields_[static_cast<std::size_t>(i)].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

void Query::dropResult() {
    cursor_.reset();
    open_ = false;
    fields_.clear();
    std::string().swap(data_);
    std::vector<std::uint64_t>().swap(rowStart_);
    current_ = -1;
}

void Query::open() {
    emit aboutToReset();
    dropResult();
    try {
        cursor_ = conn_.database().query(text().toStdString());
        for (int i = 0; i < cursor_->columnCount(); ++i)
            fields_.push_back(QString::fromStdString(cursor_->columnName(i)));
        open_ = true;
        std::string row;
        for (int i = 0; i < kFetchBatch && readRow(row); ++i) {
            rowStart_.push_back(data_.size());
            data_ += row;
        }
    } catch (...) {
        dropResult();
        emit reset();
        emit currentRowChanged(current_);
        throw;
    }
    current_ = rowStart_.empty() ? -1 : 0;
    emit reset();
    emit currentRowChanged(current_);
}

int Query::exec() {
    close();
    return conn_.database().exec(text().toStdString());
}

void Query::close() {
    if (!isOpen())
        return;
    emit aboutToReset();
    dropResult();
    emit reset();
    emit currentRowChanged(current_);
}

bool Query::readRow(std::string &into) {
    if (!cursor_)
        return false;
    if (!cursor_->next()) {
        cursor_.reset(); // the whole result is read: release the engine's statement
        return false;
    }
    into.clear();
    const int n = cursor_->columnCount();
    for (int i = 0; i < n; ++i) {
        into += cursor_->text(i);
        into += '\0';
    }
    return true;
}

int Query::fetchMore(int n) {
    if (!cursor_ || n <= 0)
        return 0;
    std::string batch;
    std::vector<std::uint64_t> starts;
    std::string row;
    auto append = [&] {
        if (starts.empty())
            return;
        const int first = fetchedRows();
        emit rowsAboutToBeAppended(first, first + static_cast<int>(starts.size()) - 1);
        data_ += batch;
        rowStart_.insert(rowStart_.end(), starts.begin(), starts.end());
        emit rowsAppended();
    };
    try {
        for (int i = 0; i < n && readRow(row); ++i) {
            starts.push_back(data_.size() + batch.size());
            batch += row;
        }
    } catch (...) {
        cursor_.reset(); // a result that failed half-way keeps the rows read before
        append();
        throw;
    }
    append();
    return static_cast<int>(starts.size());
}

int Query::fetchReported(int n) {
    try {
        return fetchMore(n);
    } catch (const kvo::DbError &e) {
        // The result ends at the failing row; the rows read before it stay.
        DataModule::reportFailure(QString::fromStdString(e.what()), text());
        return 0;
    }
}

int Query::recordCount() {
    while (fetchReported(8192) > 0) {
    }
    return fetchedRows();
}

bool Query::setCurrentRow(int row) {
    if (row < 0)
        return false;
    while (row >= fetchedRows() && fetchReported(kFetchBatch) > 0) {
    }
    if (row >= fetchedRows())
        return false;
    if (row != current_) {
        current_ = row;
        emit currentRowChanged(row);
    }
    return true;
}

QString Query::value(int row, int col) const {
    if (row < 0 || row >= fetchedRows() || col < 0 || col >= fieldCount())
        return {};
    const char *p = data_.data() + rowStart_[static_cast<std::size_t>(row)];
    for (int i = 0; i < col; ++i)
        p += std::char_traits<char>::length(p) + 1;
    return QString::fromUtf8(p);
}

QString Query::FieldStr(const QString &name) const {
    return value(current_, fieldIndex(name));
}

} // namespace kvo::admin
