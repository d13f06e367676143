#include "config/config.h"

const TargetConfiguration kConfigurationRQ35VW41 = {
    "RQ35VW41",
    "Varnolt FW Updater for RQ35VW41\n\n",
    "TOLVANEKBD-RE  RQ35VW41",
    "1.001.011.02",
    1,
    {
        {"family", {2, 1, 0}, 2, 101, 3},
        {nullptr, {0, 0, 0}, 0, 0, 0},
    },
};
