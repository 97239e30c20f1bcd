#include "ui/qt/folder_list_widget.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyledItemDelegate>

#include "ui/qt/folder_icons.h"

namespace bt {

namespace {

// Shifts each entry right by its level; the highlight covers the icon and
// the name only, as in the classic list.
class IndentDelegate final : public QStyledItemDelegate {
 public:
  IndentDelegate(int step, QObject* parent) : QStyledItemDelegate(parent), step_(step) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    QStyleOptionViewItem shifted = option;
    const int indent = index.data(kFolderIndentRole).toInt() * step_;
    shifted.rect.setLeft(option.rect.left() + indent);
    QStyledItemDelegate::paint(painter, shifted, index);
  }

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    const QSize size = QStyledItemDelegate::sizeHint(option, index);
    return {size.width() + index.data(kFolderIndentRole).toInt() * step_, size.height()};
  }

 private:
  int step_;
};

}  // namespace

FolderListWidget::FolderListWidget(FileSystem& files, QWidget* parent)
    : QListWidget(parent), model_(files) {
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setUniformItemSizes(true);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setIconSize({16, 16});
  indentStep_ = logicalDpiX() * 8 / 96;
  setItemDelegate(new IndentDelegate(indentStep_, this));
}

bool FolderListWidget::SetPath(const std::string& text) {
  const bool changed = model_.SetPath(text);
  Fill();
  return changed;
}

void FolderListWidget::Fill() {
  const QIcon open = OpenFolderIcon();
  const QIcon closed = ClosedFolderIcon();
  clear();
  for (const FolderListEntry& entry : model_.Entries()) {
    auto* item = new QListWidgetItem(entry.open ? open : closed, QString::fromStdString(entry.name));
    item->setData(kFolderIndentRole, entry.indent);
    addItem(item);
  }
  setCurrentRow(model_.CurrentIndex());
  if (currentItem() != nullptr) scrollToItem(currentItem());
}

void FolderListWidget::Refresh() {
  try {
    model_.Refresh();
  } catch (const AppError&) {
    return;
  }
  Fill();
}

void FolderListWidget::UserOpens(int row) {
  using Opening = FolderListModel::Opening;
  const Opening opening = model_.UserOpens(row);
  if (opening == Opening::None) return;
  if (opening == Opening::Failed) QApplication::beep();
  Fill();
  if (opening == Opening::Changed && userChanged_) userChanged_();
}

void FolderListWidget::keyPressEvent(QKeyEvent* event) {
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
      (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
    UserOpens(currentRow());
    event->accept();
    return;
  }
  QListWidget::keyPressEvent(event);
}

void FolderListWidget::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    QListWidget::mouseDoubleClickEvent(event);
    return;
  }
  const QModelIndex index = indexAt(event->position().toPoint());
  event->accept();
  if (index.isValid()) UserOpens(index.row());
}

}  // namespace bt
