#include "ui/done_text.h"

std::string done_text(std::int16_t obs_count)
{
    return "Completed, " + std::to_string(obs_count) + " transit observations imported to database.";
}
