// The drive tests switch configurations; the programs link a fixed one.
#include "config/config.h"

const TargetConfiguration* TargetConfig = &kConfigurationKT72M;
