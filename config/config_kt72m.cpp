#include "config/config.h"

const TargetConfiguration kConfigurationKT72M = {
    "KT72M",
    "Varnolt FW Updater for KT72M\n\n",
    "VARNOLT Optical Drive   K",
    "KT10KT11KT12KW10KW11KW12",
    2,
    {
        {"family A", {1, 2, 3}, 3, 101, 3},
        {"family B", {4, 5, 6}, 3, 102, 6},
    },
};
