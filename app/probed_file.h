// What the file a path box names is, for dialogs that show their rows by
// it: probed once for each path the box holds, and only when such a file
// exists, so that typing a path costs no more than looking it up.
#pragma once

#include <optional>
#include <string>

#include "gamefiles/forms/form.h"
#include "io/binary_io.h"

class ProbedFile {
public:
    // The form the file's content shows (ProbeSource); nothing for a data
    // file, and for a path that names no file or one that cannot be read.
    std::optional<Form> FormOf(const std::string& path) {
        if (path != path_) {
            path_ = path;
            const Result<std::optional<Form>> probed =
                IsExistingFile(path) ? ProbeSource(path, true) : Result<std::optional<Form>>(std::optional<Form>());
            form_ = probed ? *probed : std::nullopt;
        }
        return form_;
    }

private:
    std::string path_ = "\n";  // no path a box holds
    std::optional<Form> form_;
};
