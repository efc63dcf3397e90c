// Environment port for an analysed drive: the machine-wide variables that message-file paths
// use, with the values they have on that drive, expanded as ExpandEnvironmentStringsW does.
#pragma once

#include <utility>
#include <vector>

#include "platform/environment.h"
#include "platform/registry.h"

namespace veltrano {

class DriveEnvironment : public Environment {
  public:
    // systemRoot: the drive's Windows folder ("C:\Windows"). With a registry of the drive, the
    // program folders are taken from its SOFTWARE hive where it records them (localised
    // Windows versions name them differently); otherwise they have their usual English names.
    explicit DriveEnvironment(Text systemRoot, Registry* registry = nullptr);

    // %NAME% (any letter case) becomes the variable's value; undefined names, a lone "%" and
    // "%%" stay as they are.
    Text Expand(TextView text) override;

    const std::vector<std::pair<Text, Text>>& variables() const { return variables_; }

  private:
    const Text* Find(TextView name) const;
    void Set(TextView name, Text value);

    std::vector<std::pair<Text, Text>> variables_;
};

}  // namespace veltrano
