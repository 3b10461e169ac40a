#pragma once
// A drop-down combo box with a parallel list of hidden values: the hidden value of visible
// item i is HideItems()[i]. The windows that fill it keep the two lists in step.
#include <QComboBox>
#include <QStringList>

namespace kvo::admin {

class TWCombo : public QComboBox {
    Q_OBJECT
    Q_PROPERTY(QStringList HideItems READ hideItemsCopy WRITE setHideItems)
public:
    explicit TWCombo(QWidget *parent = nullptr);

    QStringList &HideItems() { return hideItems_; }
    const QStringList &HideItems() const { return hideItems_; }
    QStringList hideItemsCopy() const { return hideItems_; }
    // Copies the entries of the list; a null pointer leaves the list as it is.
    void setHideItems(const QStringList *list);
    void setHideItems(const QStringList &list) { setHideItems(&list); }

    // The hidden value of the selected item, empty when nothing is selected.
    QString selectedHidden() const;
    // Clears both lists.
    void clearBoth();
    void addBoth(const QString &visible, const QString &hidden);

private:
    QStringList hideItems_;
};

} // namespace kvo::admin
