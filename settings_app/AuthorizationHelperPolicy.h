#pragma once

#include <string>
#include <vector>

// The only runs the root helper carries out: the system's own privileged
// commands with their exact arguments. Variable parts are held to their
// shapes: a temporary file is a plain file the application made in /tmp, the
// agent's source a real folder named NightfoldStartup.
namespace AuthorizationHelperPolicy {
// words: the tool, then its arguments.
bool allows(const std::vector<std::string>& words);
}  // namespace AuthorizationHelperPolicy
