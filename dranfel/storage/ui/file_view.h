#pragma once
// CFileView: one half's file list in report mode: "File Name", the hidden "Real File Name",
// "Size(KB)" and "Date", one row per recording (its part 1) and per .mp3/.mem file.
#include "dranfel/storage/file_operations.h"

#include <QWidget>
#include <string>
#include <vector>

class QTreeWidget;

namespace dranfel {

class CFileView : public QWidget
{
    Q_OBJECT
public:
    explicit CFileView(QWidget* parent = nullptr);

    QTreeWidget* list() const { return m_list; }
    const std::string& folder() const { return m_folder; }

    // Rebuilds the rows from the folder; an empty or vanished folder gives no rows.
    void refresh(const std::string& folder);
    int row_count() const;
    QString text(int row, int column) const;
    std::vector<SelectedRow> selected_rows() const;
    bool has_selection() const;
    // The first selected row, -1 when none is.
    int first_selected_row() const;
    // Rows of `from` dropped here: rows_dropped once the drag has ended, since the command opens
    // dialogs of its own.
    void drop_rows(const CFileView* from, bool move);
    // The rows as a click on that column's header orders them; the order of the folder until then.
    void sort_by(int column, Qt::SortOrder order);

    // Asks for the row to be played, as a double-click or the context menu's "Play" does.
    void play_row(int row);

signals:
    void selection_changed();
    // Rows of another list were dropped here; `move` when Shift was held.
    void rows_dropped(const dranfel::CFileView* from, bool move);
    void play_requested(const SelectedRow& row);

protected:
    void showEvent(QShowEvent*) override;
    void resizeEvent(QResizeEvent*) override;

private:
    void set_column_widths();

    QTreeWidget* m_list = nullptr;
    std::string m_folder;
    bool m_columnsSet = false;
};

} // namespace dranfel
