// The C library's allocator, set up for a command that builds a few large
// tables and many small names and frees little before it ends.
#pragma once

#include <string>

namespace cli {

// For a large `folder`, starts the command again (once, with the same
// arguments) with the C library's allocator asking for transparent huge
// pages and keeping the memory it frees. A page fault costs several
// microseconds on a virtual machine, and a preview of 100,000 names would
// otherwise take some 17,000 of them; with huge pages it takes about a
// thousand. For a few thousand names starting again and clearing whole
// huge pages would cost more than it saves; the size of the folder itself
// (its list of names) tells them apart. The allocator reads the setting
// only at start-up, from the environment. Returns only when the command
// goes on as it is.
void run_with_huge_pages_for(const std::string& folder, char** argv);

}  // namespace cli
