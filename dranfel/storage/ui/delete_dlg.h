#pragma once
// The Delete dialog: "Delete Files" and the full path of each file as it goes. The entries are
// deleted on the window thread, one per turn of the event loop from 100 ms after the dialog first
// shows, and the dialog closes itself after the last. "Stop" (or Escape) ends it after the entry
// in hand: the entries not reached stay.
#include <QDialog>
#include <functional>
#include <string>
#include <vector>

class QLineEdit;
class QPushButton;

namespace dranfel {

class CDeleteDlg : public QDialog
{
    Q_OBJECT
public:
    CDeleteDlg(std::string folder, std::vector<std::string> names, QWidget* parent = nullptr);

    QLineEdit* path_edit() const { return m_path; }
    // The "PATH: reason" lines of delete_entry for every entry so far.
    const std::vector<std::string>& files_left() const { return m_left; }
    // Called with each path after it is shown and before it is deleted (screenshots use it).
    std::function<void(const std::string&)> on_file;
    QPushButton* stop_button() const { return m_stop; }
    // True when Stop ended the run before its last entry.
    bool stopped() const { return m_stopped; }

protected:
    // No caption, so a border of its own keeps it apart from the window behind.
    void paintEvent(QPaintEvent*) override;
    void showEvent(QShowEvent*) override;
    void reject() override { m_stopped = true; }

private:
    void next_entry();

    std::string m_folder;
    std::vector<std::string> m_names;
    std::vector<std::string> m_left;
    size_t m_next = 0;
    bool m_started = false;
    bool m_stopped = false;
    QLineEdit* m_path = nullptr;
    QPushButton* m_stop = nullptr;
};

} // namespace dranfel
