#pragma once

#include "serve_options.h"

#include <iosfwd>

namespace besedka {
class Clock;
class FileStore;
} // namespace besedka

namespace besedka::server {

// Runs the server over a working directory's files until SIGTERM or SIGINT:
// says "listening on http://ADDR:PORT" on `err` once it takes connections;
// on the signal stops taking them, answers the requests in flight, ends every
// conversation with its log block and returns 0. Returns 1, after one line
// on `err`, when it cannot start (the token file, the certificate, the port).
int serve(const ServeOptions& options, const FileStore& files, Clock& clock, std::ostream& err);

} // namespace besedka::server
