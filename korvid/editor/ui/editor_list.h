#pragma once
// The report list of every editor page, mirroring a ListState: captions, widths and alignment of
// the columns, the rows with the row picture, the selection and the row to bring into view. Full-row
// selection, grid lines and info tips; the header is drawn by CListHeader. What the user does comes
// out as signals; the page hands them to its model and calls sync() when the model changed the rows.
#include "korvid/editor/list_state.h"

#include <QAbstractTableModel>
#include <QTableView>
#include <functional>
#include <string>
#include <vector>

namespace korvid {

class ListStateModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit ListStateModel(const ListState& state, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // The list state changed under the model.
    void reload();

private:
    const ListState& m_state;
};

class CListFilterEdit;

class CEditorList : public QTableView
{
    Q_OBJECT
public:
    explicit CEditorList(const ListState& state, QWidget* parent = nullptr);
    static constexpr int ROW_HEIGHT = 20;

    // Shows the list state again: rows, column widths when the columns changed, the selection, and
    // the selected row it names to scroll to.
    void sync();
    // Shows the sort triangle on a column: +1 ascending, -1 descending, 0 none.
    void set_sort_indicator(int column, int direction);
    // Row numbers selected on screen, ascending.
    std::vector<int> selected_rows() const;

    // Where Ctrl+F reaches the filter box from: anywhere in the window (a page: the hidden pages'
    // boxes are hidden with them), or only from this list and its box (a dialog with two lists).
    enum class FilterKeys
    {
        Window,
        List
    };
    // Gives the list its filter box, above the captions; every change of its text goes to `apply`
    // (the page model's set_filter, followed by the page's sync()). A page adds it with one line.
    CListFilterEdit* enable_filter(std::function<void(const std::string&)> apply,
                                   FilterKeys keys = FilterKeys::Window);
    CListFilterEdit* filter_edit() const { return m_filter; }

signals:
    void rowsSelected(std::vector<int> rows);
    void rowClicked(int row);
    void rowDoubleClicked(int row);
    void contextMenuAt(QPoint global_pos);
    void deletePressed();
    // Enter and Insert on a row; a list nobody listens to for them passes the keys on (a dialog's
    // Enter is its OK).
    void editPressed();
    void insertPressed();
    void headerClicked(int column);

protected:
    void keyPressEvent(QKeyEvent* e) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void keyboardSearch(const QString& search) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void widen_columns();

    const ListState& m_state;
    ListStateModel* m_model;
    CListFilterEdit* m_filter = nullptr;
    int m_columnsShown = -1;
    bool m_syncing = false;
};

} // namespace korvid
