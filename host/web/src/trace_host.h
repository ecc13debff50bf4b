// The trace on the browser host: the same Button the page's module drives, watched by the
// runner. Without a page (in node) the input verbs are the instance's steps and the caption is
// measured by the script's `label size`.
#pragma once

#include <iosfwd>
#include <memory>
#include <string>

#include "trace/host.h"

namespace brelund::web {

std::unique_ptr<trace::Host> make_trace_host();
// trace::run on that host; `folder` resolves the script's file names.
int run_trace_script(std::istream& in, std::ostream& out, std::ostream& err,
                     const std::string& folder);

}  // namespace brelund::web
