#include "query_model.h"

#include "database.h"

#include <QHeaderView>

namespace kvo::admin {

QueryModel::QueryModel(Query *query, QObject *parent) : QAbstractTableModel(parent), query_(query) {
    connect(query, &Query::aboutToReset, this, [this] { beginResetModel(); });
    connect(query, &Query::reset, this, [this] { endResetModel(); });
    connect(query, &Query::rowsAboutToBeAppended, this,
            [this](int first, int last) { beginInsertRows({}, first, last); });
    connect(query, &Query::rowsAppended, this, [this] { endInsertRows(); });
}

void QueryModel::setColumns(const QList<GridColumn> &columns) {
    beginResetModel();
    columns_ = columns;
    endResetModel();
}

int QueryModel::fieldOf(int column) const {
    if (!query_)
        return -1;
    if (columns_.isEmpty())
        return column;
    if (column < 0 || column >= columns_.size())
        return -1;
    return query_->fieldIndex(columns_.at(column).field);
}

int QueryModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() || !query_ ? 0 : query_->fetchedRows();
}

int QueryModel::columnCount(const QModelIndex &parent) const {
    if (parent.isValid() || !query_)
        return 0;
    return columns_.isEmpty() ? query_->fieldCount() : static_cast<int>(columns_.size());
}

QVariant QueryModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || !query_)
        return {};
    if (role == Qt::DisplayRole)
        return query_->value(index.row(), fieldOf(index.column()));
    if (role == Qt::TextAlignmentRole && index.column() < columns_.size())
        return static_cast<int>(columns_.at(index.column()).alignment);
    return {};
}

QVariant QueryModel::headerData(int section, Qt::Orientation o, int role) const {
    if (o != Qt::Horizontal)
        return QAbstractTableModel::headerData(section, o, role);
    if (role == Qt::DisplayRole) {
        if (section < columns_.size())
            return columns_.at(section).title;
        return query_ ? query_->fieldName(section) : QString();
    }
    if (role == Qt::TextAlignmentRole && section < columns_.size())
        return static_cast<int>(columns_.at(section).alignment);
    return {};
}

bool QueryModel::canFetchMore(const QModelIndex &parent) const {
    return !parent.isValid() && query_ && !query_->atEnd();
}

void QueryModel::fetchMore(const QModelIndex &parent) {
    if (parent.isValid() || !query_)
        return;
    try {
        query_->fetchMore();
    } catch (const kvo::DbError &) {
        // The rows read so far stay; the result simply ends here.
    }
}

QueryGrid::QueryGrid(QWidget *parent) : QTableView(parent) {
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    verticalHeader()->setDefaultSectionSize(18);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->hide();
    horizontalHeader()->setHighlightSections(false);
    setWordWrap(false);
}

QueryModel *QueryGrid::bind(Query *query, const QList<GridColumn> &columns) {
    delete model_;
    model_ = new QueryModel(query, this);
    model_->setColumns(columns);
    setModel(model_);
    applyColumns();
    connect(model_, &QAbstractItemModel::modelReset, this, [this] {
        applyColumns();
        followQuery(model_->query() ? model_->query()->currentRow() : -1);
    });
    connect(query, &Query::currentRowChanged, this, [this](int row) { followQuery(row); });
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &cur) {
                if (!syncing_ && cur.isValid() && model_->query())
                    model_->query()->setCurrentRow(cur.row());
            });
    followQuery(query->currentRow());
    return model_;
}

void QueryGrid::applyColumns() {
    if (!model_)
        return;
    const auto &cols = model_->columns();
    for (int i = 0; i < cols.size(); ++i)
        if (cols.at(i).width > 0)
            setColumnWidth(i, cols.at(i).width);
}

void QueryGrid::followQuery(int row) {
    if (!model_ || row >= model_->rowCount())
        return;
    syncing_ = true;
    if (row < 0) {
        selectionModel()->clearCurrentIndex();
    } else {
        const QModelIndex idx = model_->index(row, 0);
        selectionModel()->setCurrentIndex(idx, QItemSelectionModel::ClearAndSelect |
                                                   QItemSelectionModel::Rows);
    }
    syncing_ = false;
}

} // namespace kvo::admin
