#pragma once

namespace qev::render
{

// Ctrl-C (SIGINT) and SIGTERM stop a render between two blocks instead of killing the
// process, so the temporary output file is removed like after any other failure.
void catchInterrupts();
bool interrupted();

} // namespace qev::render
