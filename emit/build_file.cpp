// Writes the Ant build file into the destination folder.
#include "emit/build_file.h"

#include "base/path_separator.h"
#include "emit/xml_template.h"
#include "resources/build_template.h"

namespace tessivar {

std::string expandBuildTemplate(std::string_view jarModule, std::string_view runtimeJarPath) {
    const std::string templ = std::string(kBuildTemplate102) + std::string(kBuildTemplate103);
    return fillXmlTemplate(templ, {{kProjectNamePlaceholder, jarModule},
                                   {kRuntimeClassPathPlaceholder, runtimeJarPath}});
}

void writeBuildFile(EmitRun& run) {
    const std::string path = run.destination + kPathSeparator + "build.xml";
    const std::unique_ptr<OutputText> file = run.openFile(path);
    if (file->isOpen()) file->write(expandBuildTemplate(run.jarModule, run.runtimeJarPath));
    run.logLine("Generating build file: " + path);
    file->close();
}

}  // namespace tessivar
