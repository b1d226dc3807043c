// The C library's allocator, set up for a command that builds a few large
// tables and many small names and frees little before it ends.
#pragma once

namespace cli {

// Starts the command again (once, with the same arguments) with the C
// library's allocator asking for transparent huge pages and keeping the
// memory it frees, when it does not already. A page fault costs several
// microseconds on a virtual machine, and a preview of 100,000 names would
// otherwise take some 17,000 of them; with huge pages it takes about a
// thousand. The allocator reads this setting only at start-up, from the
// environment. Returns only when the command goes on as it is.
void run_with_huge_pages(char** argv);

}  // namespace cli
