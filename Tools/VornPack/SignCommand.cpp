#include "Tools/VornPack/SignCommand.h"

#include <cstdlib>
#include <vector>

#include "Tools/VornPack/Console.h"
#include "Tools/VornPack/Files.h"
#include "Tools/VornPack/PeFile.h"
#include "Tools/VornPack/VornNames.h"
#include "VornLib/data/FileStream.h"

#ifdef _WIN32
#include "VornLib/core/Win32.h"
#else
#include <sys/wait.h>
#endif

namespace vornpack {

namespace {

String QuotedForShell(const std::filesystem::path& path) {
#ifdef _WIN32
    return u'"' + TextOf(path) + u'"'; // Windows names hold no quotes
#else
    String quoted(u"'");
    const String text = TextOf(path);
    for (uint32_t i = 0; i < text.length(); ++i) {
        if (text[i] == u'\'')
            quoted.append(u"'\\''");
        else
            quoted.append(text[i]);
    }
    return quoted + u"'";
#endif
}

} // namespace

vorn::Result CheckSignCommand(const String& command, String* message) {
    if (command.find(kFilePlaceholder) >= 0)
        return vorn::kResultOk;
    *message = Format(u"the sign command must name the file to sign as {0}", {kFilePlaceholder});
    return vorn::kResultInvalidArgument;
}

Result SignSetup(const String& command, const std::filesystem::path& file, const String& output,
                 String* message) {
    String line;
    for (uint32_t i = 0; i < command.length(); ++i) {
        if (command[i] == u'{' && i + 1 < command.length() && command[i + 1] == u'}') {
            line.append(QuotedForShell(file));
            ++i;
        } else {
            line.append(command[i]);
        }
    }
    ClearStatus();
    std::fflush(stdout);
#ifdef _WIN32
    // cmd.exe /c drops the first and the last quote of a line holding more
    // than two, so that these extra ones keep the vendor's own quotes intact.
    const std::u16string units = u'"' + std::u16string(line.data(), line.length()) + u'"';
    const int status = _wsystem(reinterpret_cast<const wchar_t*>(units.c_str()));
    const int exitCode = status;
#else
    const int status = std::system(Utf8(line).c_str());
    const int exitCode = status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
    if (status == -1 || exitCode != 0) {
        *message = Format(u"the sign command failed (exit code {0}); no setup was written: {1}",
                          {exitCode, line});
        return vorn::kResultFailed;
    }
    vorn::FileStream signedFile;
    std::vector<uint8_t> start;
    PeImage image;
    if (signedFile.openRead(TextOf(file).data()) != vorn::kResultOk ||
        ReadImageStart(&signedFile, &start, &image) != vorn::kResultOk) {
        *message = Format(u"the sign command left no executable in place of \"{0}\"; no setup "
                          u"was written",
                          {output});
        return vorn::kResultMalformed;
    }
    if (!CarriesSignature(&signedFile, image)) {
        *message = Format(u"the sign command ended with 0 but left \"{0}\" without a signature; "
                          u"no setup was written: {1}",
                          {output, line});
        return vorn::kResultFailed;
    }
    return vorn::kResultOk;
}

} // namespace vornpack
