"""How long the history of renames is kept: batches older than
`history_days` days, or beyond the newest `history_batches`, leave the
journal when the window starts. The engine never removes a batch that was
cut short, so the way back from a crash stays.

Both limits are settings; they are written into the settings file with
their defaults, so the user finds them there to change."""

import renamer

LIMITS = (("history_days", 90), ("history_batches", 200))
# Beyond any history there is (some 2.7 million years, a billion batches);
# a greater limit keeps everything as well, and the engine takes it.
NO_LIMIT = 10**9


def read(cfg):
    """The limits (days, batches) from `cfg`. A value that is not a whole
    number of 0 or more gives its default, and a line in `cfg.problems`;
    one past NO_LIMIT is kept in `cfg` and pruned by as NO_LIMIT."""
    values = []
    for name, default in LIMITS:
        value = getattr(cfg, name, default)
        if isinstance(value, bool) or not isinstance(value, int) or value < 0:
            cfg.problems.append(f"setting {name!r} in {cfg.filename} is {value!r}, not a whole "
                                f"number of 0 or more; using the default {default}")
            value = default
        setattr(cfg, name, value)
        values.append(min(value, NO_LIMIT))
    return tuple(values)


def prune(limits, tell):
    """Prunes the journal; trouble with it is told, and the window goes on."""
    days, batches = limits
    try:
        renamer.prune(max_age_days=days, keep=batches)
    except OSError as error:
        tell(f"Old batches were not removed from the history of renames: {error}.")
