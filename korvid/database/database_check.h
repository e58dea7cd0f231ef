#pragma once
// The database check a user runs before sending and on any file: what would make the receiver
// misbehave or lose channels (damage) and what is legal but most likely not meant (notes), one problem
// per record, each naming the record as the pages show it. It informs; only a send asks, and only
// about damage.
#include "korvid/database/database.h"

#include <string>
#include <vector>

namespace korvid {

enum class ProblemSeverity
{
    Damaged, // the receiver would misbehave or lose channels: a reference to a slot out of range or
             // free, a count beyond its table or its list, a hole among the used channels
    Note,    // everything else: the receiver copes, the user may want to look
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

// Before a send: the damage found and whether to send all the same (a Yes/No question); empty when
// there is no damage, for notes are never asked about.
std::string send_check_question(const std::vector<DatabaseProblem>& problems);

// The frequencies a satellite's LNB can put into the tuner's input band (950 to 2150 MHz), for
// either of its local oscillators.
bool lnb_receives(const tSatellite& sat, int frequency_mhz);

} // namespace korvid
