// Control ids of the archive information page and the comment page, shared by their dialog
// templates and the page procedures (plain macros: the resource compiler reads this file too).
#pragma once

#define KUB_INFO_TITLE 4101
#define KUB_INFO_VERSION 4102
#define KUB_INFO_HOSTS 4103
#define KUB_INFO_FILES 4104
#define KUB_INFO_TOTAL_SIZE 4105
#define KUB_INFO_ARCHIVE_SIZE 4106
#define KUB_INFO_RATIO 4107
#define KUB_INFO_SFX_SIZE 4108
#define KUB_INFO_COMMENT 4109
#define KUB_INFO_PASSWORD 4110
#define KUB_INFO_RECOVERY_LABEL 4111
#define KUB_INFO_RECOVERY 4112
#define KUB_INFO_DICTIONARY_LABEL 4113
#define KUB_INFO_DICTIONARY 4114
#define KUB_INFO_LOCK_LABEL 4115
#define KUB_INFO_LOCK 4116
#define KUB_INFO_KUB_ROWS_LINE 4119

#define KUB_COMMENT_EDIT 4101
