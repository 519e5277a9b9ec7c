// The settings and connect page. The program writes the stored settings as plain text into the
// hidden mailbox elements (and the two lists and the codes directly) once the page has loaded,
// and reads the hidden "page to program" elements back when the connect link is followed. The
// visible form controls are therefore copied from the mailboxes whenever the program wrote
// something new, and into them right before the connect command leaves the page.
var Dial = {
  seen: {},
  mode: '',

  byId: function (id) {
    return document.getElementById(id);
  },

  textOf: function (element) {
    return element.textContent !== undefined ? element.textContent : element.innerText;
  },

  // The program reads a mailbox as its inner HTML, so it must hold nothing but text.
  setText: function (id, text) {
    var element = Dial.byId(id);
    if (element.textContent !== undefined) element.textContent = text; else element.innerText = text;
    Dial.seen[id] = text;
  },

  // The program reads the "value" attribute, which typing into a field does not change.
  setValue: function (id, text) {
    var element = Dial.byId(id);
    element.value = text;
    element.setAttribute('value', text);
  },

  trim: function (text) {
    return String(text).replace(/^\s+|\s+$/g, '');
  },

  // The program replaces a list's paragraph together with its select element, so the select is
  // looked up afresh each time. The separator line it puts first has a value of blanks.
  listChoice: function (id) {
    var select = Dial.byId(id).getElementsByTagName('select')[0];
    if (!select || select.selectedIndex < 0) return '';
    return Dial.trim(select.options[select.selectedIndex].value);
  },

  listHasChoices: function (id) {
    var select = Dial.byId(id).getElementsByTagName('select')[0];
    if (!select) return false;
    for (var i = 0; i < select.options.length; i++) {
      if (Dial.trim(select.options[i].value) !== '') return true;
    }
    return false;
  },

  start: function () {
    Dial.pull();
    window.setInterval(Dial.pull, 200);
  },

  // Program to page: takes over every mailbox whose text changed since it was last seen.
  pull: function () {
    Dial.take('CTN_START_URL', function (text) { Dial.byId('dial-start').value = text; });
    Dial.take('CTN_PHONE_NUMBER', function (text) { Dial.byId('dial-phone').value = text; });
    Dial.take('CTN_USER_NAME', function (text) { Dial.byId('dial-user').value = text; });
    Dial.take('CTN_PASSWORD', function (text) { Dial.byId('dial-pass').value = text; });
    Dial.take('CTN_SAVE_PASSWORD', function (text) { Dial.byId('dial-save').checked = text !== '0'; });
    Dial.take('CTN_START_MODE', Dial.modeChanged);
  },

  take: function (id, apply) {
    var text = Dial.trim(Dial.textOf(Dial.byId(id)));
    if (Dial.seen[id] === text) return;
    Dial.seen[id] = text;
    apply(text);
  },

  // "1" is the signup mode, "0" the normal one, "3" means that no usable dial device is recorded
  // yet: then the page only configures device and location, and the button takes them over.
  modeChanged: function (mode) {
    Dial.mode = mode;
    var configureOnly = mode === '3';
    Dial.byId('tab-login').className = configureOnly ? 'tab hidden' : 'tab';
    Dial.byId('dial-setup-note').className = configureOnly ? 'intro' : 'intro hidden';
    Dial.byId('row-phone').className = configureOnly ? 'row hidden' : 'row';
    Dial.byId('row-start').className = configureOnly ? 'row hidden' : 'row';
    Dial.byId('dial-connect').innerHTML = configureOnly ? '&Uuml;bernehmen' : 'Verbinden';
    Dial.byId('dial-what').innerHTML = configureOnly ? 'Einrichtung' : 'Einwahl';
    Dial.byId(mode === '1' ? 'dial-new' : 'dial-existing').checked = true;
    Dial.customerChanged();
    Dial.show(configureOnly ? 'setup' : 'login');
  },

  customerChanged: function () {
    var signup = Dial.byId('dial-new').checked;
    Dial.byId('dial-credentials').className = signup ? 'hidden' : '';
    Dial.byId('dial-signup-note').className = signup ? 'note' : 'note hidden';
  },

  show: function (panel) {
    var login = panel === 'login';
    Dial.byId('panel-login').className = login ? 'panel' : 'panel hidden';
    Dial.byId('panel-setup').className = login ? 'panel hidden' : 'panel';
    Dial.byId('tab-login').className = Dial.mode === '3' ? 'tab hidden' : (login ? 'tab active' : 'tab');
    Dial.byId('tab-setup').className = login ? 'tab' : 'tab active';
    return false;
  },

  complain: function (panel, text) {
    Dial.show(panel);
    Dial.byId('dial-message').innerHTML = text;
    return false;
  },

  // Page to program, run by the connect link before it navigates; false keeps the page when
  // something the dial needs is missing.
  connect: function () {
    var signup = Dial.byId('dial-new').checked;
    var device = Dial.listChoice('CTN_RAS_DEVICE_LIST');
    var country = Dial.listChoice('CTN_COUNTRYLIST');
    var user = Dial.byId('dial-user').value;
    if (device === '') {
      return Dial.complain('setup', Dial.listHasChoices('CTN_RAS_DEVICE_LIST')
        ? 'Bitte w&auml;hlen Sie ein Verbindungsger&auml;t aus.'
        : 'Es wurde kein Verbindungsger&auml;t gefunden. Bitte richten Sie ein Modem oder eine ISDN-Karte ein.');
    }
    if (country === '' && Dial.listHasChoices('CTN_COUNTRYLIST')) {
      return Dial.complain('setup', 'Bitte w&auml;hlen Sie das Land aus, in dem Sie sich einw&auml;hlen.');
    }
    if (Dial.mode !== '3' && !signup && Dial.trim(user) === '') {
      return Dial.complain('login', 'Bitte geben Sie Ihren Benutzernamen ein.');
    }
    Dial.byId('dial-message').innerHTML = '';

    // A customer who already has an account leaves the signup mode; asking for a signup in the
    // normal mode is a request of its own, the stored mode stays.
    var mode = Dial.mode === '1' && !signup ? '0' : Dial.mode;
    Dial.setText('CTN_START_MODE', mode);
    Dial.setText('CTN_OPT_STATE', signup ? '3' : '0');
    Dial.setText('CTN_START_URL', Dial.trim(Dial.byId('dial-start').value));
    Dial.setText('CTN_PHONE_NUMBER', Dial.trim(Dial.byId('dial-phone').value));
    Dial.setText('CTN_USER_NAME', user);
    Dial.setText('CTN_PASSWORD', Dial.byId('dial-pass').value);
    Dial.setText('CTN_SAVE_PASSWORD', Dial.byId('dial-save').checked ? '1' : '0');
    Dial.setText('CTN_RAS_DEVICE_NAME', device);
    Dial.setText('CTN_COUNTRY_NAME', country);
    Dial.setValue('CTN_OKZ', Dial.trim(Dial.byId('CTN_OKZ').value));
    Dial.setValue('CTN_AKZ', Dial.trim(Dial.byId('CTN_AKZ').value));
    Dial.setValue('TEMP1', user);
    Dial.setValue('TEMP2', Dial.byId('dial-pass').value);
    return true;
  },

  // Enter in a field works like the connect button.
  key: function (event) {
    event = event || window.event;
    var target = event.target || event.srcElement;
    if (event.keyCode !== 13 || target.tagName !== 'INPUT') return true;
    if (Dial.connect()) Status.command('OLECMDID_CONNECT');
    return false;
  }
};
