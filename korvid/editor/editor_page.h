#pragma once
// One page of the editor's tab control. The view refreshes a page when its tab is selected and after
// a new database has arrived; hidden pages keep their state.
namespace korvid {

class EditorPage
{
public:
    virtual ~EditorPage() = default;

    // Rebuild what the page shows from the database, as selecting its tab does.
    virtual void refresh() = 0;
    // A new database was loaded or received: re-read whatever the page keeps from the database.
    virtual void on_new_database() { refresh(); }
};

} // namespace korvid
