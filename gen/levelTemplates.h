// levelTemplates.h - the room templates: 31 records and the lists the generation run uses.
#pragma once

#include "levelGenRuntime.h"

enum { TEMPLATE_RECORDS = 31 };

// Record 1..31.
const LevelGenTemplate& level_template(int record);

struct TemplateList {
    const LevelGenTemplate* const* templates;
    int count;
};

// The fillers (records 1 to 27), the start room (28), the exit rooms (29, 30)
// and the end column (31).
TemplateList filler_templates();
TemplateList start_templates();
TemplateList exit_templates();
TemplateList end_templates();

// For checking the content: a record's layout, one string per tile row from
// the top, and its steps in order, each with its symbol in the layout and its
// cells (relative to the room's lower-left tile cell).
int template_layout_rows(int record);
const char* template_layout_row(int record, int row);
int template_step_count(int record);
struct TemplateStepView {
    char symbol;
    LevelGenCoordList cells;
};
TemplateStepView template_step(int record, int step);
