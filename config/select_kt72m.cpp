#include "config/config.h"

const TargetConfiguration* TargetConfig = &kConfigurationKT72M;
