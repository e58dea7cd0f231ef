#pragma once
// The database check a user runs before sending and on any file: what would confuse the receiver
// (damage) and what would confuse the user (notes), one problem per record, each naming the record as
// the pages show it.
#include "korvid/database/database.h"

#include <string>
#include <vector>

namespace korvid {

enum class ProblemSeverity
{
    Damaged, // a promise the receiver relies on is broken
    Note,    // legal, but most likely not what the user meant
};

struct DatabaseProblem
{
    ProblemSeverity severity;
    std::string text;
};

// Damage first, then notes. A database whose indexes leave their tables gives that one problem only:
// nothing else in it can be named safely.
std::vector<DatabaseProblem> check_database(const Database& db);

bool any_damage(const std::vector<DatabaseProblem>& problems);
// "No problem found", or "2 damaged, 61 notes".
std::string problem_count_text(const std::vector<DatabaseProblem>& problems);
// "damaged: TV 0123 ..." / "note: ...".
std::string problem_line(const DatabaseProblem& problem);
// The first `limit` lines, then "... and N more" when there are more.
std::string problem_summary(const std::vector<DatabaseProblem>& problems, size_t limit);

// Before a send: the problems found and whether to send all the same (Yes/No question), or, when
// only notes were found and nobody is there to answer, what is sent with them.
std::string send_check_question(const std::vector<DatabaseProblem>& problems);
std::string send_check_notes(const std::vector<DatabaseProblem>& problems);
// After a receive: "Damaged DB : " and the first damage, one more line for each of the next few.
std::string damaged_database_message(const std::vector<DatabaseProblem>& problems);

// The frequencies a satellite's LNB can put into the tuner's input band (950 to 2150 MHz), for
// either of its local oscillators.
bool lnb_receives(const tSatellite& sat, int frequency_mhz);

} // namespace korvid
