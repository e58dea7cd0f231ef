#pragma once
// "Select Serial Port": a drop-down of COM1..COM20 with the device behind each, bound to
// SelectPortModel, which holds every rule (the port test on each pick, the jump back on failure).
#include "korvid/link/select_port_model.h"

#include <QDialog>

class QComboBox;
class QLabel;

namespace common {
class Prompts;
}

namespace korvid {

class CSelectPortDlg : public QDialog
{
    Q_OBJECT
public:
    // `com_port` is g_ComPort now; `prompts` hears "Can not open COM%d" from the port test.
    CSelectPortDlg(int com_port, common::Prompts* prompts, QWidget* parent = nullptr);
    // A dialog over a given model (tests give one whose port test they control).
    CSelectPortDlg(SelectPortModel model, QWidget* parent = nullptr);

    QComboBox* list() const { return m_list; }
    QLabel* port_label() const { return m_port; }
    // Writes the choice into `com_port` when the dialog was accepted; Cancel leaves it.
    void finish(int& com_port) const;

    // Runs the whole command: the dialog on g_ComPort - 1, g_ComPort set on OK.
    static void run(common::Prompts* prompts, QWidget* parent);
    // The choice kept for the next run in the user's settings, by number and device; the port a
    // new run starts on, 0 when none was kept or it fits no port.
    static void remember_port(int n);
    static int remembered_port();

private:
    void build();
    void on_pick(int index);

    SelectPortModel m_model;
    QComboBox* m_list = nullptr;
    QLabel* m_port = nullptr;
};

} // namespace korvid
