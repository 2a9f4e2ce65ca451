#include "AuthorizationHelperPolicy.h"

#include <algorithm>
#include <sys/stat.h>

namespace {
using Words = std::vector<std::string>;

const std::string kSettingsFile = "/etc/nightfold.conf";
const std::string kStartupItems = "/Library/StartupItems";
const std::string kInstalledFolder = "/Library/StartupItems/NightfoldStartup";
const std::string kRootCrontab = "/var/cron/tabs/root";

const std::vector<Words>& fixedRuns()
{
    static const std::vector<Words> runs = {
        {"/bin/echo", "Yeehaw!"},
        {"/usr/bin/killall", "NightfoldAgent"},
        {"/usr/sbin/chown", "0:0", kStartupItems},
        {"/usr/sbin/chown", "-R", "0:0", kInstalledFolder},
        {"/usr/sbin/chmod", "6550", kStartupItems},
        {"/usr/sbin/chmod", "-R", "6550", kInstalledFolder},
        {"/bin/rm", "-f", kSettingsFile},
        {"/bin/rm", "-R", "-f", kInstalledFolder},
        {kInstalledFolder + "/NightfoldAgent"},
        {"/bin/cat", kRootCrontab},
        {"/usr/bin/touch", "/var/cron/tabs/"},
        // A damaged settings file is kept aside for the administrator.
        {"/bin/cp", "-f", kSettingsFile, kSettingsFile + ".damaged"},
    };
    return runs;
}

bool startsWith(const std::string& text, const std::string& prefix) { return text.compare(0, prefix.size(), prefix) == 0; }

bool endsWith(const std::string& text, const std::string& suffix)
{
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

bool isLetterOrDigit(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

// A file the application created privately in /tmp: the given name followed
// by six random letters or digits, a plain file and not a link (a link could
// hand the superuser's copy any file of the system).
bool isTemporaryFile(const std::string& path, const std::string& name)
{
    const std::string prefix = "/tmp/" + name;
    if (!startsWith(path, prefix) || path.size() != prefix.size() + 6)
        return false;
    if (!std::all_of(path.begin() + static_cast<long>(prefix.size()), path.end(), isLetterOrDigit))
        return false;
    struct stat info {};
    return lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// An absolute, clean path (no empty, "." or ".." part) to a real folder
// named NightfoldStartup that is not the installed one.
bool isSourceFolder(const std::string& path)
{
    if (!startsWith(path, "/") || !endsWith(path, "/NightfoldStartup") || path == kInstalledFolder)
        return false;
    std::size_t start = 1;
    while (start <= path.size()) {
        const std::size_t end = std::min(path.find('/', start), path.size());
        const std::string part = path.substr(start, end - start);
        if (part.empty() || part == "." || part == "..")
            return false;
        start = end + 1;
    }
    struct stat info {};
    return lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}
}  // namespace

namespace AuthorizationHelperPolicy {
bool allows(const Words& words)
{
    const auto& fixed = fixedRuns();
    if (std::find(fixed.begin(), fixed.end(), words) != fixed.end())
        return true;
    if (words.size() == 4 && words[0] == "/bin/cp" && words[1] == "-f" && words[3] == kSettingsFile)
        return isTemporaryFile(words[2], "nightfold.conf.");
    if (words.size() == 3 && words[0] == "/bin/cp" && words[2] == kRootCrontab)
        return isTemporaryFile(words[1], "crontab.");
    if (words.size() == 4 && words[0] == "/bin/cp" && words[1] == "-Rf" && words[3] == kInstalledFolder)
        return isSourceFolder(words[2]);
    return false;
}
}  // namespace AuthorizationHelperPolicy
