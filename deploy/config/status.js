// Helpers of the popup's status pages. A page drives the program by navigating to a command word
// relative to itself ("OLECMDID_CONNECT" ...); the program cancels that navigation and acts.
var Status = {
  started: false,
  timer: null,

  command: function (word) {
    window.location.href = word;
  },

  // Runs a command once, shortly after the page has shown itself, so that the user sees the page
  // before dialling or hanging up begins.
  startSoon: function (word, milliseconds) {
    Status.timer = window.setTimeout(function () {
      Status.timer = null;
      Status.started = true;
      Status.command(word);
    }, milliseconds);
  },

  // The cancel link of a page that starts a command by itself: once the command ran, running it
  // again cancels it (a second connect stops the dial); before that the popup just closes.
  cancel: function () {
    Status.stop();
    if (Status.started) return true;
    Status.command('OLECMDID_CLOSE');
    return false;
  },

  // Counts the seconds down in the element ("20 Sekunden") and runs the command when none are
  // left; an unanswered question must not keep a paid connection open.
  countdown: function (id, seconds, word) {
    var shown = document.getElementById(id);
    var left = seconds;
    Status.timer = window.setInterval(function () {
      left -= 1;
      if (shown) shown.innerHTML = left + (left === 1 ? ' Sekunde' : ' Sekunden');
      if (left > 0) return;
      Status.stop();
      Status.command(word);
    }, 1000);
  },

  // Stops a pending command or countdown; returns true so that it can sit in a link's onclick.
  stop: function () {
    if (Status.timer !== null) {
      window.clearTimeout(Status.timer);
      window.clearInterval(Status.timer);
      Status.timer = null;
    }
    return true;
  }
};
