#pragma once
// What every page and dialog of the editor works with: the one database, the document whose
// modified flag it sets, the prompts it talks through, the dialogs it opens, the editor's selection,
// and the tuner selection query that the editor view answers.
#include "common/prompts.h"
#include "korvid/database/database.h"
#include "korvid/database/korvid_doc.h"
#include "korvid/editor/dialog_runner.h"
#include "korvid/editor/editor_selection.h"
#include "korvid/editor/tuner_mode.h"

#include <functional>
#include <string>

namespace korvid {

class EditorContext
{
public:
    EditorContext(CKorvidDoc& doc,
                  common::Prompts& prompts,
                  DialogRunner& dialogs,
                  EditorSelection& selection)
        : db(doc.database())
        , doc(doc)
        , prompts(prompts)
        , dialogs(dialogs)
        , m_selection(selection)
    {}

    Database& db;
    CKorvidDoc& doc;
    common::Prompts& prompts;
    DialogRunner& dialogs;

    // The selector of the satellite page named by the active satellite page; set by the editor view.
    std::function<int()> tuner_selection_query;

    EditorSelection& selection() { return m_selection; }
    int tuner_selection() const { return tuner_selection_query ? tuner_selection_query() : TUNER_NONE; }
    // Called once per user action that stored something; `label` names it for the undo history
    // ("Delete satellite Astra 19.2E") and reads after "Undo " and "Redo ". An action that left the
    // tables as they were marks nothing (false).
    bool mark_modified(const std::string& label = "Edit") { return doc.record_change(label); }

private:
    EditorSelection& m_selection;
};

} // namespace korvid
