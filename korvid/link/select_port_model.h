#pragma once
// The rules of the "Select Serial Port" dialog, without its widgets: the GUI binds a drop-down
// list to entries()/selected_index(), the second static text to port_text(), and calls select()
// when the user picks an entry and finish() when the dialog ends.
#include <functional>
#include <string>
#include <vector>

namespace korvid {

class SelectPortModel
{
public:
    static constexpr int PORT_COUNT = 20;

    // `com_port` is the current g_ComPort; `test` opens and closes COMn (TestPort, which has
    // already told the user when it fails); `device` names the device of COMn ("" when none).
    SelectPortModel(int com_port, std::function<bool(int)> test, std::function<std::string(int)> device = {});

    // "COM1" .. "COM20", each followed by its device path when the port table has one.
    std::vector<std::string> entries() const;
    // The index the list shows: the last choice whose port opened.
    int selected_index() const { return m_index; }
    // The static beside the list: empty at first, "COM%d" once another port was chosen.
    const std::string& port_text() const { return m_text; }

    // The user picked `index`; returns the index the list must show afterwards (the old one when
    // the port could not be opened).
    int select(int index);
    // The dialog ended; with `accepted` the stored choice becomes the port number, else
    // `com_port` stays as it was.
    void finish(bool accepted, int& com_port) const;

private:
    int m_index;
    std::string m_text;
    std::function<bool(int)> m_test;
    std::function<std::string(int)> m_device;
};

// The port a new run starts on, from what an earlier run kept: the device it chose, found again in
// today's `table` (numbers move as adapters come and go), else the number it had when that is a
// port at all; 0 when nothing was kept or nothing fits.
int port_to_restore(const std::string& device, int number, const std::vector<std::string>& table);

} // namespace korvid
