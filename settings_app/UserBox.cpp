#include "UserBox.h"

#include "NightfoldUser.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

namespace {
// Draws a row the way the list would, with the user's picture in front of
// the indented name.
class UserRowDelegate : public QStyledItemDelegate {
public:
    explicit UserRowDelegate(UserBox* box) : QStyledItemDelegate(box), m_box(box) {}

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return {QStyledItemDelegate::sizeHint(option, index).width() + UserBox::textIndent, UserBox::rowHeight};
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem row = option;
        initStyleOption(&row, index);
        const QWidget* widget = row.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        const QString name = row.text;

        // Background, selection and focus across the whole row; no text yet.
        row.text.clear();
        style->drawControl(QStyle::CE_ItemViewItem, &row, painter, widget);

        const int r = index.row();
        if (r >= 0 && r < m_box->userPictures.size())
            painter->drawImage(row.rect.topLeft() + UserBox::pictureOffset, m_box->userPictures[r]);

        const QRect textRect = row.rect.adjusted(UserBox::textIndent, 0, 0, 0);
        const bool selected = row.state & QStyle::State_Selected;
        painter->save();
        painter->setFont(row.font);
        painter->setPen(row.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter,
                          row.fontMetrics.elidedText(name, Qt::ElideRight, textRect.width()));
        painter->restore();
    }

private:
    UserBox* m_box;
};
}  // namespace

UserBox::UserBox(QWidget* parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    setItemDelegate(new UserRowDelegate(this));
}

void UserBox::Load(const QList<std::shared_ptr<NightfoldUser>>& users)
{
    for (qsizetype i = 1; i < users.size(); ++i) {
        userPictures.append(users[i]->ScaledPicture());
        addItem(users[i]->RealName);
    }
}

void UserBox::mousePressEvent(QMouseEvent* event)
{
    if (!indexAt(event->position().toPoint()).isValid()) {
        clearSelection();
        return;
    }
    QListWidget::mousePressEvent(event);
}
