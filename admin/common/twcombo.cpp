#include "twcombo.h"

namespace kvo::admin {

TWCombo::TWCombo(QWidget *parent) : QComboBox(parent) {}

void TWCombo::setHideItems(const QStringList *list) {
    if (list)
        hideItems_ = *list;
}

QString TWCombo::selectedHidden() const {
    const int i = currentIndex();
    if (i < 0 || i >= hideItems_.size())
        return {};
    return hideItems_.at(i);
}

void TWCombo::clearBoth() {
    clear();
    hideItems_.clear();
}

void TWCombo::addBoth(const QString &visible, const QString &hidden) {
    addItem(visible);
    hideItems_.append(hidden);
}

} // namespace kvo::admin
