// The request: one generator, one class run per selected class, the settings stored after each.
#include "engine/request.h"

#include <exception>

#include "engine/library_run.h"
#include "engine/unchanged_files.h"

namespace tessivar {

RequestOutcome runRequest(RequestHost& host, const RequestSnapshot& snap, Services given, const Emitters& emitters,
                          bool skipUnchanged) {
    // Generate-all rewrites every type each class run reaches: most rewrites repeat the bytes already there.
    UnchangedFileSkipper requestFiles(given.files);
    const Services services{skipUnchanged ? requestFiles : given.files, given.registry, given.loader, given.settings,
                            given.ui};
    RequestOutcome outcome;
    host.setGenerateEnabled(false);
    try {
        WrapperGenerator generator(services, snap.hiddenInterfaces, emitters);
        generator.missingLibraryHint = host.missingLibraryHint();
        generator.writesMavenBuildFile = snap.mavenBuildFile;
        const std::string selectedName =
            snap.classIndex >= 0 && static_cast<std::size_t>(snap.classIndex) < snap.shownNames.size()
                ? snap.shownNames[static_cast<std::size_t>(snap.classIndex)]
                : std::string();
        if (snap.libraryRun) {
            outcome.matched = true;
            ++outcome.classRuns;
            if (runLibrary(generator, snap.libraryPath, snap.chosenTypes, snap.settings)) ++outcome.completedRuns;
            if (const auto why = saveSettings(services.settings, snap.settings)) generator.settingsNotSaved(*why);
        } else if (!snap.shownNames.empty()) {
            for (std::size_t i = 0; i < snap.classes.size(); ++i) {
                const ClassEntry& entry = snap.classes[i];
                std::vector<TypeEntry> interfaces;
                if (snap.generateAll) {
                    interfaces = host.selectClass(i);
                } else {
                    if (entry.progId != selectedName) continue;
                    interfaces = snap.interfaces;
                }
                outcome.matched = true;
                ++outcome.classRuns;
                const GeneratorSettings& s = snap.settings;
                if (generator.runClass(entry, std::move(interfaces), s.destDir, s.package, s.jarModule, s.sdkPath))
                    ++outcome.completedRuns;
                if (const auto why = saveSettings(services.settings, s)) generator.settingsNotSaved(*why);
                if (snap.generateAll) host.classRunDone(i + 1, snap.classes.size());
                else break;
            }
        }
        outcome.outputFailures = generator.outputFailures();
        outcome.incompleteTypes = static_cast<int>(generator.lossesByType().size());
        if (outcome.incompleteTypes > 0) {
            TypeLosses all;
            for (const auto& [type, lost] : generator.lossesByType()) all.add(lost);
            generator.logLine("Incomplete: " + std::to_string(outcome.incompleteTypes) +
                              (outcome.incompleteTypes == 1 ? " type lost " : " types lost ") + lossesText(all) +
                              " in all; their files were written without them.");
        }
    } catch (const ComError& e) {
        outcome.error = e.what();
    } catch (const std::bad_alloc&) {
        outcome.error = ComError(kOutOfMemory).what();
    } catch (const std::exception& e) {
        outcome.error = e.what();
    }
    if (!outcome.error.empty()) services.ui.appendLog("Error: " + outcome.error);
    outcome.filesOpened = requestFiles.filesWritten();
    outcome.filesUnchanged = requestFiles.filesLeftAlone();
    if (!host.requestsWaiting()) host.setGenerateEnabled(true);
    return outcome;
}

}  // namespace tessivar
