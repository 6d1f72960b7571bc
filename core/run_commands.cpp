// A headless run of a command list (see session.h): what a verifier, a replay test or the score server
// does with a recorded game.
#include "core/session.h"

namespace quz::core {

RunResult RunCommands(const SessionSettings& settings, std::span<const Command> commands, Tick lastTick) {
    Session session(settings);
    return RunCommandsOn(session, commands, lastTick);
}

RunResult RunCommandsOn(Session& session, std::span<const Command> commands, Tick lastTick) {
    RunResult result;
    lastTick = lastTick < kTickCap ? lastTick : kTickCap;
    size_t next = 0;
    Tick previous = 0;
    while (!session.Over() && session.CurrentTick() < lastTick) {
        while (next < commands.size() && commands[next].tick <= session.CurrentTick()) {
            const Command& command = commands[next++];
            result.wellFormed =
                result.wellFormed && command.tick >= previous && command.tick == session.CurrentTick();
            previous = command.tick;
            session.Apply(command);
        }
        if (session.paused && !session.HasQueued()) {
            // Paused with nothing to take: the game would stand still for ever, so the run ends here, or a
            // later command is taken at once (the game stamps commands of a pause with the pause's tick).
            if (next == commands.size()) {
                break;
            }
            result.wellFormed = false;
            previous = commands[next].tick;
            session.Apply(commands[next++]);
        }
        session.Step();
    }
    result.ticks = session.CurrentTick();
    result.score = session.score;
    result.level = session.level;
    result.over = session.Over();
    result.stateHash = session.StateHash();
    return result;
}

}  // namespace quz::core
