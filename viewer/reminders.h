// The user's own notes from "DIAR.TXT", shown after the day's texts.
#pragma once

void ShowReminders();
