#pragma once
// A read-only table model over a Query, and the grid that shows one: rows are read from the
// engine as the grid scrolls to them, and the grid's current row is the query's current row.
#include <QAbstractTableModel>
#include <QPointer>
#include <QTableView>

#include "query.h"

namespace kvo::admin {

struct GridColumn {
    QString field;
    QString title;
    int width = 0; // 0: leave as it comes
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
};

class QueryModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit QueryModel(Query *query, QObject *parent = nullptr);

    Query *query() const { return query_; }
    // Columns to show; without them every field is shown under its own name.
    void setColumns(const QList<GridColumn> &columns);
    const QList<GridColumn> &columns() const { return columns_; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation o, int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;

private:
    int fieldOf(int column) const;
    QPointer<Query> query_;
    QList<GridColumn> columns_;
};

class QueryGrid : public QTableView {
    Q_OBJECT
public:
    explicit QueryGrid(QWidget *parent = nullptr);
    // Binds the grid to a query through a model the grid owns.
    QueryModel *bind(Query *query, const QList<GridColumn> &columns = {});
    QueryModel *queryModel() const { return model_; }

private:
    void applyColumns();
    void followQuery(int row);
    QueryModel *model_ = nullptr;
    bool syncing_ = false;
};

} // namespace kvo::admin
