// The end of a game in the shell: a confirmed name goes into the high-score table (saved at once) and
// the score to the score server.
#pragma once

#include <cstdint>

// Enters the name and score in the table, queues the score for sending, and keeps the time the save
// took out of the next frame's step.
void RecordConfirmedName(const char* name, int32_t score);
