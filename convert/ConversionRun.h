#pragma once
// placeholder: the batch run (ConvertAll, AddTotalProgress)
