#include "config/config.h"

const TargetConfiguration* TargetConfig = &kConfigurationRQ35VW41;
